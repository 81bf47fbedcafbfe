// The unit table of the page writer, fed with units built from fuzzed cells. The markup must stay
// well-formed whatever the cells hold: every "<font " completed and closed, no span across a row
// end, one "<br>" per row, every special byte escaped, lines broken only right after "<font ",
// and the visible text and its colours exactly those of the cells.
#include "colorhex.h"
#include "fuzzsupport.h"
#include "pagewriter.h"

#include <cstring>
#include <vector>

using namespace quillet;
using namespace quillet::fuzz;

namespace {

// A small palette makes runs of equal colours likely; the top codes give unusual values.
TColor pickColor(std::uint8_t code) {
    static constexpr TColor kPalette[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x008000};
    if (code < 0xF0) return kPalette[code % 4];
    if (code < 0xF8) return static_cast<TColor>(0x80000000u | (code & 0x07u)); // a system colour
    return static_cast<TColor>(0x01000000u * (code & 0x07u) + 0x123456);       // above 24 bits
}

// The record: blank cells in black on white, then cells from every 6 bytes: row, column, the two
// character bytes and the two colour codes.
QByteArray buildRecord(ByteReader& in) {
    TAnsiGrid grid;
    for (TAnsiCell& cell : grid)
        cell = TAnsiCell{{0x20, 0x20}, {0, 0}, 0x000000, 0xFFFFFF};
    while (in.remaining() >= 6) {
        const int row = in.byte() % kGridRows;
        const int col = in.byte() % kGridCols;
        TAnsiCell& cell = grid[static_cast<std::size_t>(row * kGridCols + col)];
        cell.Chars[0] = in.byte();
        cell.Chars[1] = in.byte();
        cell.FontColor = pickColor(in.byte());
        cell.BackColor = pickColor(in.byte());
    }
    return QByteArray(reinterpret_cast<const char*>(grid.data()), kRecordSize);
}

// One visible byte of the page, with the span it stands in.
struct Glyph {
    std::uint8_t byte;
    bool inSpan;
    QByteArray color; // the span's text colour attribute value ("" when absent)
    QByteArray back;  // the span's background colour value ("" when absent)
};

bool takes(const QByteArray& text, qsizetype& pos, const char* token) {
    const qsizetype length = static_cast<qsizetype>(std::strlen(token));
    if (text.size() - pos < length || std::memcmp(text.constData() + pos, token, static_cast<std::size_t>(length)) != 0)
        return false;
    pos += length;
    return true;
}

// Upper-case hexadecimal digits up to the closing quote.
QByteArray takeHex(const QByteArray& text, qsizetype& pos) {
    const qsizetype start = pos;
    while (pos < text.size() && ((text[pos] >= '0' && text[pos] <= '9') || (text[pos] >= 'A' && text[pos] <= 'F')))
        ++pos;
    FUZZ_CHECK(pos - start >= 6);
    FUZZ_CHECK(takes(text, pos, "\""));
    return text.mid(start, pos - start - 1);
}

struct Parsed {
    std::vector<Glyph> glyphs;
    std::vector<std::size_t> rowEnds; // glyph count at each "<br>"
};

Parsed parseMarkup(const QByteArray& markup) {
    Parsed out;
    bool inSpan = false;
    QByteArray color;
    QByteArray back;
    qsizetype pos = 0;
    while (pos < markup.size()) {
        if (takes(markup, pos, "<font ")) {
            FUZZ_CHECK(!inSpan);
            color.clear();
            back.clear();
            if (takes(markup, pos, "color=\"#")) {
                color = takeHex(markup, pos);
                FUZZ_CHECK(takes(markup, pos, " "));
            }
            if (takes(markup, pos, "style=\"background-color: #")) back = takeHex(markup, pos);
            FUZZ_CHECK(takes(markup, pos, ">"));
            FUZZ_CHECK(!color.isEmpty() || !back.isEmpty());
            inSpan = true;
        } else if (takes(markup, pos, "</font>")) {
            FUZZ_CHECK(inSpan);
            inSpan = false;
        } else if (takes(markup, pos, "<br>")) {
            FUZZ_CHECK(!inSpan);
            out.rowEnds.push_back(out.glyphs.size());
        } else {
            std::uint8_t byte = static_cast<std::uint8_t>(markup[pos]);
            FUZZ_CHECK(byte != '<' && byte != '>' && byte != '"');
            if (byte == '&') {
                if (takes(markup, pos, "&nbsp;"))
                    byte = ' ';
                else if (takes(markup, pos, "&quot;"))
                    byte = '"';
                else if (takes(markup, pos, "&amp;"))
                    byte = '&';
                else if (takes(markup, pos, "&lt;"))
                    byte = '<';
                else if (takes(markup, pos, "&gt;"))
                    byte = '>';
                else
                    FUZZ_CHECK(!"an unknown entity");
            } else {
                ++pos;
            }
            out.glyphs.push_back(Glyph{byte, inSpan, color, back});
        }
    }
    FUZZ_CHECK(!inSpan);
    return out;
}

QByteArray hexOf(TColor color) {
    QByteArray digits;
    AppendColorHex(digits, color);
    return digits;
}

void checkTable(const TAnsiImage& unit, const QList<QByteArray>& lines) {
    FUZZ_CHECK(lines.size() >= 4);
    FUZZ_CHECK(lines.first() == "<table border=\"0\" style=\"color: #" + hexOf(unit.fontColor()) +
                                    "; background-color: #" + hexOf(unit.backColor()) + "\"");
    const std::int64_t width = unit.IsDoubleByte() ? (std::int64_t{unit.cols()} * 164 + 5) / 10 : unit.cols() * 8;
    FUZZ_CHECK(lines.at(1) == " width=\"" + QByteArray::number(static_cast<qlonglong>(width)) + "\"><tr><td>");
    FUZZ_CHECK(lines.last() == "</td></tr></table>");

    QByteArray markup;
    for (qsizetype i = 2; i < lines.size() - 1; ++i) {
        const QByteArray& line = lines.at(i);
        if (i < lines.size() - 2) FUZZ_CHECK(line.size() > 100 && line.endsWith("<font "));
        markup += line;
    }
    const Parsed parsed = parseMarkup(markup);

    std::size_t next = 0;
    std::vector<std::size_t> rowEnds;
    for (int r = 0; r < unit.rows() && unit.cols() > 0; ++r) {
        for (int c = 0; c < unit.cols(); ++c) {
            const TAnsiCell& cell = unit.cell(r, c);
            const bool differs = cell.FontColor != unit.fontColor() || cell.BackColor != unit.backColor();
            for (const char ch : unit.CellText(r, c)) {
                const int copies = ch == '\t' ? 2 : 1;
                for (int k = 0; k < copies; ++k) {
                    FUZZ_CHECK(next < parsed.glyphs.size());
                    const Glyph& glyph = parsed.glyphs[next++];
                    FUZZ_CHECK(glyph.byte == (ch == '\t' ? ' ' : static_cast<std::uint8_t>(ch)));
                    FUZZ_CHECK(glyph.inSpan == differs);
                    if (differs) {
                        FUZZ_CHECK(glyph.color == (cell.FontColor != unit.fontColor() ? hexOf(cell.FontColor) : ""));
                        FUZZ_CHECK(glyph.back == (cell.BackColor != unit.backColor() ? hexOf(cell.BackColor) : ""));
                    }
                }
            }
        }
        rowEnds.push_back(next);
    }
    FUZZ_CHECK(next == parsed.glyphs.size());
    FUZZ_CHECK(rowEnds == parsed.rowEnds);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnsureGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const std::uint8_t mode = in.byte() % 3;
    const std::uint8_t extent = in.byte();
    const int cols = in.byte() % (kGridCols + 1);
    const int rows = in.byte() % (kGridRows + 1);
    const QByteArray record = buildRecord(in);

    TAnsiImage unit;
    PrepareUnit(unit, mode);
    unit.LoadFromRecord(record.constData());
    // Text pages give extents a record never has: one cell wide, no rows, no cells.
    if (extent & 1) {
        unit.setExtent(cols, rows);
    }
    THtmBasic writer;
    writer.WriteUnitTable(unit);
    checkTable(unit, writer.bodyLines());
    return 0;
}

#include "htmlunit.h"

#include "ansiimage.h"
#include "colorhex.h"

#include <array>
#include <cstring>

namespace quillet {

namespace {

struct Escape {
    const char* text;
    int length;
};

// The replacement of every byte that is not written as itself; length 0 means "as itself".
const std::array<Escape, 256>& escapeTable() {
    static const std::array<Escape, 256> table = [] {
        std::array<Escape, 256> t{};
        auto set = [&t](std::uint8_t byte, const char* text) {
            t[byte] = Escape{text, static_cast<int>(std::strlen(text))};
        };
        set(0x09, "&nbsp;&nbsp;");
        set(0x20, "&nbsp;");
        set(0x22, "&quot;");
        set(0x26, "&amp;");
        set(0x3C, "&lt;");
        set(0x3E, "&gt;");
        return t;
    }();
    return table;
}

// What GetCell gives for the cell, read inline: this runs three times for every cell of a page.
TCellInfo cellInfo(const TAnsiImage& unit, int row, int col) {
    const TAnsiCell& cell = unit.cell(row, col);
    TCellInfo info;
    std::memcpy(&info.CharWord, &cell, sizeof info.CharWord); // the first four bytes; Chars[0] lowest
    info.FontColor = cell.FontColor;
    info.BackColor = cell.BackColor;
    return info;
}

} // namespace

// The markup of one cell, built without allocation and appended to the caller's text in one step.
// The longest cell markup ("</font><br><font ", both attributes with 8-digit colours, two tabs) is
// well under the capacity.
struct THtmlUnit::MarkupBuffer {
    char bytes[192];
    int size = 0;

    template <std::size_t N> void literal(const char (&text)[N]) { put(text, static_cast<int>(N - 1)); }
    void put(const char* text, int length) {
        std::memcpy(bytes + size, text, static_cast<std::size_t>(length));
        size += length;
    }
    void putByte(char byte) { bytes[size++] = byte; }
    void colour(TColor color) { size += FormatColorHex(color, bytes + size); }
    void escaped(char byte) {
        const Escape& e = escapeTable()[static_cast<std::uint8_t>(byte)];
        if (e.length != 0)
            put(e.text, e.length);
        else
            putByte(byte);
    }
    void appendTo(QByteArray& out) const { out.append(bytes, size); }
};

TCellPosition THtmlUnit::CellPosition(int row, int col, int rows, int cols) {
    if (cols == 1) {
        if (row == 0) return rows == 1 ? cpNarrowOnly : cpNarrowFirst;
        return row == rows - 1 ? cpNarrowLast : cpNarrowRow;
    }
    if (col == 0) return row == 0 ? cpFirst : cpRowStart;
    if (col == cols - 1) return row == rows - 1 ? cpLast : cpRowEnd;
    return cpMiddle;
}

void THtmlUnit::LoadCell(const TAnsiImage& unit, int row, int col) {
    const int rows = unit.rows();
    const int cols = unit.cols();
    FCur = cellInfo(unit, row, col);
    FPosition = CellPosition(row, col, rows, cols);
    switch (FPosition) {
    case cpFirst:
        FNext = cellInfo(unit, row, 1);
        break;
    case cpRowStart:
        FPrev = cellInfo(unit, row - 1, cols - 1);
        FNext = cellInfo(unit, row, 1);
        break;
    case cpMiddle:
        FPrev = cellInfo(unit, row, col - 1);
        FNext = cellInfo(unit, row, col + 1);
        break;
    case cpRowEnd:
        FPrev = cellInfo(unit, row, col - 1);
        FNext = cellInfo(unit, row + 1, 0);
        break;
    case cpLast:
        FPrev = cellInfo(unit, row, col - 1);
        break;
    case cpNarrowFirst:
        FNext = cellInfo(unit, row + 1, 0);
        break;
    case cpNarrowRow:
        FPrev = cellInfo(unit, row - 1, 0);
        FNext = cellInfo(unit, row + 1, 0);
        break;
    case cpNarrowLast:
        FPrev = cellInfo(unit, row - 1, 0);
        break;
    default: // cpNarrowOnly: no neighbour
        break;
    }
}

QByteArray THtmlUnit::CellHtml() {
    QByteArray out;
    CellHtml(out);
    return out;
}

void THtmlUnit::CellHtml(QByteArray& out) {
    switch (FPosition) {
    case cpFirst:
        FirstCellHtml(out);
        break;
    case cpRowStart:
        RowStartHtml(out);
        break;
    case cpRowEnd:
        RowEndHtml(out);
        break;
    case cpLast:
        LastCellHtml(out);
        break;
    case cpNarrowFirst:
    case cpNarrowRow:
    case cpNarrowLast:
    case cpNarrowOnly:
        NarrowCellHtml(out);
        break;
    default:
        MiddleCellHtml(out);
        break;
    }
}

void THtmlUnit::FirstCellHtml(QByteArray& out) {
    cellMarkup(out, Opening::First, Closing::InRow);
}

void THtmlUnit::RowStartHtml(QByteArray& out) {
    cellMarkup(out, Opening::RowStart, Closing::InRow);
}

void THtmlUnit::MiddleCellHtml(QByteArray& out) {
    cellMarkup(out, Opening::AfterPrev, Closing::InRow);
}

void THtmlUnit::RowEndHtml(QByteArray& out) {
    cellMarkup(out, Opening::AfterPrev, Closing::RowEnd);
}

void THtmlUnit::LastCellHtml(QByteArray& out) {
    cellMarkup(out, Opening::AfterPrev, Closing::Last);
}

void THtmlUnit::NarrowCellHtml(QByteArray& out) {
    // A narrow cell starts its row: its span, if any, was opened by the row before, or opens here.
    const bool opensUnit = FPosition == cpNarrowFirst || FPosition == cpNarrowOnly;
    const bool rowsFollow = FPosition == cpNarrowFirst || FPosition == cpNarrowRow;
    cellMarkup(out, opensUnit ? Opening::First : Opening::RowStart, rowsFollow ? Closing::RowEnd : Closing::Last);
}

void THtmlUnit::cellMarkup(QByteArray& out, Opening opening, Closing closing) {
    MarkupBuffer markup;
    FOpenTag = false;
    switch (opening) {
    case Opening::First:
        openFirst(markup);
        break;
    case Opening::RowStart:
        openRowStart(markup);
        break;
    case Opening::AfterPrev:
        openAfterPrev(markup);
        break;
    }
    appendCellText(markup);
    switch (closing) {
    case Closing::InRow:
        closeInRow(markup);
        break;
    case Closing::RowEnd:
        closeRowEnd(markup);
        break;
    case Closing::Last:
        closeLast(markup);
        break;
    }
    markup.appendTo(out);
}

void THtmlUnit::openFirst(MarkupBuffer& out) const {
    if (differsFromDefaults(FCur)) {
        out.literal("<font ");
        appendAttributes(out);
    }
}

void THtmlUnit::openRowStart(MarkupBuffer& out) const {
    if (differsFromDefaults(FCur)) appendAttributes(out);
}

void THtmlUnit::openAfterPrev(MarkupBuffer& out) const {
    if (!sameColours(FCur, FPrev) && differsFromDefaults(FCur)) appendAttributes(out);
}

void THtmlUnit::closeInRow(MarkupBuffer& out) {
    if (sameColours(FCur, FNext)) return;
    if (differsFromDefaults(FCur)) out.literal("</font>");
    if (differsFromDefaults(FNext)) {
        out.literal("<font ");
        FOpenTag = true;
    }
}

void THtmlUnit::closeRowEnd(MarkupBuffer& out) {
    closeLast(out);
    if (differsFromDefaults(FNext)) {
        out.literal("<font ");
        FOpenTag = true;
    }
}

void THtmlUnit::closeLast(MarkupBuffer& out) const {
    if (differsFromDefaults(FCur)) out.literal("</font>");
    out.literal("<br>");
}

void THtmlUnit::appendAttributes(MarkupBuffer& out) const {
    if (FCur.FontColor != FFontColor) {
        out.literal("color=\"#");
        out.colour(FCur.FontColor);
        out.literal("\" ");
    }
    if (FCur.BackColor != FBackColor) {
        out.literal("style=\"background-color: #");
        out.colour(FCur.BackColor);
        out.putByte('"');
    }
    out.putByte('>');
}

void THtmlUnit::appendCellText(MarkupBuffer& out) const {
    const char first = static_cast<char>(FCur.CharWord & 0xFFu);
    const char second = static_cast<char>((FCur.CharWord >> 8) & 0xFFu);
    if (!FDoubleByte) {
        out.escaped(second);
    } else if (first != 0) {
        out.escaped(first);
        if (second != 0) out.escaped(second);
    }
}

QByteArray THtmlUnit::HtmlEscape(const QByteArray& text) {
    QByteArray out;
    for (const char byte : text)
        out.append(HtmlEscapeByte(static_cast<std::uint8_t>(byte)));
    return out;
}

QByteArray THtmlUnit::HtmlEscapeByte(std::uint8_t byte) {
    const Escape& e = escapeTable()[byte];
    if (e.length != 0) return QByteArray(e.text, e.length);
    return QByteArray(1, static_cast<char>(byte));
}

} // namespace quillet

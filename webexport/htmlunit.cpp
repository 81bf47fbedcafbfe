#include "htmlunit.h"

#include "ansiimage.h"
#include "colorhex.h"

#include <array>

namespace quillet {

namespace {

struct Escape {
    const char* text;
    qsizetype length;
};

// The replacement of every byte that is not written as itself; length 0 means "as itself".
const std::array<Escape, 256>& escapeTable() {
    static const std::array<Escape, 256> table = [] {
        std::array<Escape, 256> t{};
        auto set = [&t](std::uint8_t byte, const char* text) {
            t[byte] = Escape{text, static_cast<qsizetype>(std::char_traits<char>::length(text))};
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

constexpr char kOpenFont[] = "<font ";
constexpr char kCloseFont[] = "</font>";
constexpr char kLineBreak[] = "<br>";

} // namespace

TCellPosition THtmlUnit::CellPosition(int row, int col, int rows, int cols) {
    if (cols == 1) {
        if (row == 0)
            return rows == 1 ? cpNarrowOnly : cpNarrowFirst;
        return row == rows - 1 ? cpNarrowLast : cpNarrowRow;
    }
    if (col == 0)
        return row == 0 ? cpFirst : cpRowStart;
    if (col == cols - 1)
        return row == rows - 1 ? cpLast : cpRowEnd;
    return cpMiddle;
}

void THtmlUnit::LoadCell(const TAnsiImage& unit, int row, int col) {
    const int rows = unit.FRows;
    const int cols = unit.FCols;
    FCur = unit.GetCell(row, col);
    FPosition = CellPosition(row, col, rows, cols);
    switch (FPosition) {
    case cpFirst:
        FNext = unit.GetCell(row, 1);
        break;
    case cpRowStart:
        FPrev = unit.GetCell(row - 1, cols - 1);
        FNext = unit.GetCell(row, 1);
        break;
    case cpMiddle:
        FPrev = unit.GetCell(row, col - 1);
        FNext = unit.GetCell(row, col + 1);
        break;
    case cpRowEnd:
        FPrev = unit.GetCell(row, col - 1);
        FNext = unit.GetCell(row + 1, 0);
        break;
    case cpLast:
        FPrev = unit.GetCell(row, col - 1);
        break;
    case cpNarrowFirst:
        FNext = unit.GetCell(row + 1, 0);
        break;
    case cpNarrowRow:
        FPrev = unit.GetCell(row - 1, 0);
        FNext = unit.GetCell(row + 1, 0);
        break;
    case cpNarrowLast:
        FPrev = unit.GetCell(row - 1, 0);
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
    FOpenTag = false;
    openFirst(out);
    appendCellText(out);
    closeInRow(out);
}

void THtmlUnit::RowStartHtml(QByteArray& out) {
    FOpenTag = false;
    openRowStart(out);
    appendCellText(out);
    closeInRow(out);
}

void THtmlUnit::MiddleCellHtml(QByteArray& out) {
    FOpenTag = false;
    openAfterPrev(out);
    appendCellText(out);
    closeInRow(out);
}

void THtmlUnit::RowEndHtml(QByteArray& out) {
    FOpenTag = false;
    openAfterPrev(out);
    appendCellText(out);
    closeRowEnd(out);
}

void THtmlUnit::LastCellHtml(QByteArray& out) {
    FOpenTag = false;
    openAfterPrev(out);
    appendCellText(out);
    closeLast(out);
}

void THtmlUnit::NarrowCellHtml(QByteArray& out) {
    FOpenTag = false;
    // A narrow cell starts its row: the span, if any, was opened by the row before (or opens here).
    if (FPosition == cpNarrowFirst || FPosition == cpNarrowOnly)
        openFirst(out);
    else
        openRowStart(out);
    appendCellText(out);
    if (FPosition == cpNarrowFirst || FPosition == cpNarrowRow)
        closeRowEnd(out);
    else
        closeLast(out);
}

void THtmlUnit::openFirst(QByteArray& out) const {
    if (differsFromDefaults(FCur)) {
        out.append(kOpenFont);
        appendAttributes(out);
    }
}

void THtmlUnit::openRowStart(QByteArray& out) const {
    if (differsFromDefaults(FCur))
        appendAttributes(out);
}

void THtmlUnit::openAfterPrev(QByteArray& out) const {
    if (!sameColours(FCur, FPrev) && differsFromDefaults(FCur))
        appendAttributes(out);
}

void THtmlUnit::closeInRow(QByteArray& out) {
    if (sameColours(FCur, FNext))
        return;
    if (differsFromDefaults(FCur))
        out.append(kCloseFont);
    if (differsFromDefaults(FNext)) {
        out.append(kOpenFont);
        FOpenTag = true;
    }
}

void THtmlUnit::closeRowEnd(QByteArray& out) {
    closeLast(out);
    if (differsFromDefaults(FNext)) {
        out.append(kOpenFont);
        FOpenTag = true;
    }
}

void THtmlUnit::closeLast(QByteArray& out) const {
    if (differsFromDefaults(FCur))
        out.append(kCloseFont);
    out.append(kLineBreak);
}

void THtmlUnit::appendAttributes(QByteArray& out) const {
    if (FCur.FontColor != FFontColor) {
        out.append("color=\"#");
        AppendColorHex(out, FCur.FontColor);
        out.append("\" ");
    }
    if (FCur.BackColor != FBackColor) {
        out.append("style=\"background-color: #");
        AppendColorHex(out, FCur.BackColor);
        out.append('"');
    }
    out.append('>');
}

void THtmlUnit::appendCellText(QByteArray& out) const {
    const char first = static_cast<char>(FCur.CharWord & 0xFFu);
    const char second = static_cast<char>((FCur.CharWord >> 8) & 0xFFu);
    if (!FDoubleByte) {
        HtmlEscape(out, &second, 1);
    } else if (first != 0) {
        const char pair[2] = {first, second};
        HtmlEscape(out, pair, second != 0 ? 2 : 1);
    }
}

void THtmlUnit::HtmlEscape(QByteArray& out, const char* text, qsizetype length) {
    const auto& table = escapeTable();
    for (qsizetype i = 0; i < length; ++i) {
        const Escape& e = table[static_cast<std::uint8_t>(text[i])];
        if (e.length != 0)
            out.append(e.text, e.length);
        else
            out.append(text[i]);
    }
}

QByteArray THtmlUnit::HtmlEscape(const QByteArray& text) {
    QByteArray out;
    HtmlEscape(out, text.constData(), text.size());
    return out;
}

QByteArray THtmlUnit::HtmlEscapeByte(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    return HtmlEscape(QByteArray(&c, 1));
}

} // namespace quillet

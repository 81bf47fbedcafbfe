#pragma once

#include "ansicell.h"

#include <QByteArray>

namespace quillet {

class TAnsiImage;

// Where a cell lies in the unit's extent; decides which neighbours are loaded and how spans open
// and close around it.
enum TCellPosition : std::uint8_t {
    cpRowStart = 0, // cell 0 of a row after the first
    cpMiddle = 1,   // any cell not covered by another kind
    cpRowEnd = 2,   // last cell of a row before the last
    cpFirst = 3,    // cell 0 of row 0
    cpLast = 4,     // last cell of the last row
    // A unit one cell wide: its cells both start and end their rows.
    cpNarrowFirst = 5, // row 0 of several: opens like cpFirst, ends its row like cpRowEnd
    cpNarrowRow = 6,   // a row between the first and the last: opens like cpRowStart, ends like cpRowEnd
    cpNarrowLast = 7,  // the last row of several: opens like cpRowStart, ends like cpLast
    cpNarrowOnly = 8,  // the unit's only cell: opens like cpFirst, ends like cpLast
};

// Turns a unit's cells into HTML one at a time. Each cell is converted knowing only itself, its
// predecessor and its successor in reading order; the markup of consecutive cells joins into
// well-formed HTML: "<font " spans for runs of equal non-default colours, never crossing a row
// end, and "<br>" after every row.
class THtmlUnit {
public:
    bool FOpenTag = false; // the markup produced last ends inside an opened "<font " tag
    TCellInfo FPrev{};     // only its colours are read
    TCellInfo FNext{};     // only its colours are read
    TCellInfo FCur{};      // the cell being converted
    std::uint8_t FPosition = cpMiddle;
    TColor FBackColor = 0xFFFFFF; // the unit's default background colour
    TColor FFontColor = 0;        // the unit's default text colour
    bool FDoubleByte = false;

    // The position kind of cell (row, col) in an extent of cols x rows.
    static TCellPosition CellPosition(int row, int col, int rows, int cols);
    // Loads FCur, the neighbours its position kind needs and FPosition for cell (row, col) of the
    // unit's extent. Neighbours the kind does not need keep their previous contents.
    void LoadCell(const TAnsiImage& unit, int row, int col);

    // The markup of FCur for its position kind; sets FOpenTag.
    QByteArray CellHtml();
    // The same markup, appended to out.
    void CellHtml(QByteArray& out);

    // The markup of FCur for one position kind, appended to out; each sets FOpenTag.
    void FirstCellHtml(QByteArray& out);
    void RowStartHtml(QByteArray& out);
    void MiddleCellHtml(QByteArray& out);
    void RowEndHtml(QByteArray& out);
    void LastCellHtml(QByteArray& out);
    // A cell of a unit one cell wide (the cpNarrow kinds).
    void NarrowCellHtml(QByteArray& out);

    // Every byte through HtmlEscapeByte.
    static QByteArray HtmlEscape(const QByteArray& text);
    // Tab: two non-breaking spaces; space: one; " & < > as entities; any other byte as it is.
    static QByteArray HtmlEscapeByte(std::uint8_t byte);

private:
    struct MarkupBuffer;
    // How a cell's markup begins: as the unit's first cell, as a row's first cell, or after the cell before.
    enum class Opening : std::uint8_t { First, RowStart, AfterPrev };
    // How it ends: inside its row, at a row's end with rows after it, or as the unit's last cell.
    enum class Closing : std::uint8_t { InRow, RowEnd, Last };

    // The markup of FCur begun and ended as given, appended to out; sets FOpenTag.
    void cellMarkup(QByteArray& out, Opening opening, Closing closing);

    bool differsFromDefaults(const TCellInfo& cell) const {
        return cell.FontColor != FFontColor || cell.BackColor != FBackColor;
    }
    static bool sameColours(const TCellInfo& a, const TCellInfo& b) {
        return a.FontColor == b.FontColor && a.BackColor == b.BackColor;
    }
    void appendAttributes(MarkupBuffer& out) const;
    void appendCellText(MarkupBuffer& out) const;
    void openFirst(MarkupBuffer& out) const;
    void openRowStart(MarkupBuffer& out) const;
    void openAfterPrev(MarkupBuffer& out) const;
    void closeInRow(MarkupBuffer& out);
    void closeRowEnd(MarkupBuffer& out);
    void closeLast(MarkupBuffer& out) const;
};

} // namespace quillet

#include "htmlunit.h"

#include "ansiimage.h"
#include "unitbuilder.h"

#include <QList>

#include <gtest/gtest.h>

using namespace quillet;

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;

struct CellMarkup {
    QByteArray html;
    bool openTag;
};

// A cleared unit of cols x rows in black on white.
std::unique_ptr<TAnsiImage> makeUnit(int cols, int rows, std::uint8_t byteMode) {
    return testunits::MakeUnit(cols, rows, byteMode, kBlack, kWhite);
}

// Every cell of the extent in reading order, as the page writer converts them.
QList<CellMarkup> convert(const TAnsiImage& unit) {
    THtmlUnit converter;
    converter.FBackColor = unit.backColor();
    converter.FFontColor = unit.fontColor();
    converter.FDoubleByte = unit.IsDoubleByte();
    QList<CellMarkup> cells;
    for (int r = 0; r < unit.rows(); ++r)
        for (int c = 0; c < unit.cols(); ++c) {
            converter.LoadCell(unit, r, c);
            const QByteArray html = converter.CellHtml();
            cells.append({html, converter.FOpenTag});
        }
    return cells;
}

QByteArray joined(const TAnsiImage& unit) {
    QByteArray all;
    for (const CellMarkup& cell : convert(unit))
        all += cell.html;
    return all;
}

} // namespace

TEST(HtmlUnit, WorkedExample) {
    auto unit = makeUnit(3, 2, bmSingleByte);
    testunits::PutText(*unit, 0, "ab ");
    testunits::PutText(*unit, 1, "c<d");
    unit->editCell(0, 1).FontColor = kRed;

    const QList<CellMarkup> cells = convert(*unit);
    ASSERT_EQ(cells.size(), 6);
    const QList<QByteArray> expected = {"a<font ", "color=\"#FF0000\" >b</font>", "&nbsp;<br>", "c", "&lt;", "d<br>"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(cells[i].html, expected[i]) << "cell " << i;
        EXPECT_EQ(cells[i].openTag, i == 0) << "cell " << i;
    }
    EXPECT_EQ(joined(*unit), "a<font color=\"#FF0000\" >b</font>&nbsp;<br>c&lt;d<br>");
}

TEST(HtmlUnit, PositionKinds) {
    EXPECT_EQ(THtmlUnit::CellPosition(0, 0, 3, 4), cpFirst);
    EXPECT_EQ(THtmlUnit::CellPosition(0, 1, 3, 4), cpMiddle);
    EXPECT_EQ(THtmlUnit::CellPosition(0, 3, 3, 4), cpRowEnd);
    EXPECT_EQ(THtmlUnit::CellPosition(1, 0, 3, 4), cpRowStart);
    EXPECT_EQ(THtmlUnit::CellPosition(2, 3, 3, 4), cpLast);
    EXPECT_EQ(THtmlUnit::CellPosition(0, 1, 1, 2), cpLast);  // one row: its end is the unit's end
    EXPECT_EQ(THtmlUnit::CellPosition(0, 0, 1, 2), cpFirst); // the unit's first cell wins over its row start
    EXPECT_EQ(THtmlUnit::CellPosition(0, 0, 1, 1), cpNarrowOnly);
    EXPECT_EQ(THtmlUnit::CellPosition(0, 0, 3, 1), cpNarrowFirst);
    EXPECT_EQ(THtmlUnit::CellPosition(1, 0, 3, 1), cpNarrowRow);
    EXPECT_EQ(THtmlUnit::CellPosition(2, 0, 3, 1), cpNarrowLast);
}

TEST(HtmlUnit, DefaultColoursGiveNoSpanAndOneBreakPerRow) {
    auto unit = makeUnit(5, 3, bmSingleByte);
    testunits::PutText(*unit, 0, "hello");
    EXPECT_EQ(joined(*unit),
              "hello<br>" + QByteArray("&nbsp;").repeated(5) + "<br>" + QByteArray("&nbsp;").repeated(5) + "<br>");
}

TEST(HtmlUnit, NeighboursWithDifferentColoursCloseAndReopen) {
    auto unit = makeUnit(4, 1, bmSingleByte);
    testunits::PutText(*unit, 0, "wxyz");
    unit->editCell(0, 1).FontColor = kRed;
    unit->editCell(0, 2).FontColor = kBlue;
    const QList<CellMarkup> cells = convert(*unit);
    EXPECT_EQ(cells[1].html, "color=\"#FF0000\" >x</font><font ");
    EXPECT_TRUE(cells[1].openTag);
    EXPECT_EQ(cells[2].html, "color=\"#0000FF\" >y</font>");
    EXPECT_FALSE(cells[2].openTag);
}

TEST(HtmlUnit, ARunOfOneColourIsOneSpan) {
    auto unit = makeUnit(6, 1, bmSingleByte);
    testunits::PutText(*unit, 0, "abcdef");
    for (int c = 1; c <= 4; ++c)
        unit->editCell(0, c).FontColor = kRed;
    EXPECT_EQ(joined(*unit), "a<font color=\"#FF0000\" >bcde</font>f<br>");
}

TEST(HtmlUnit, ARunNeverCrossesARowEnd) {
    auto unit = makeUnit(3, 2, bmSingleByte);
    testunits::PutText(*unit, 0, "abc");
    testunits::PutText(*unit, 1, "def");
    for (const auto& [r, c] : {std::pair{0, 1}, {0, 2}, {1, 0}, {1, 1}})
        unit->editCell(r, c).BackColor = kBlue;
    const QList<CellMarkup> cells = convert(*unit);
    EXPECT_EQ(cells[2].html, "c</font><br><font ");
    EXPECT_TRUE(cells[2].openTag);
    EXPECT_EQ(cells[3].html, "style=\"background-color: #0000FF\">d");
    EXPECT_EQ(joined(*unit), "a<font style=\"background-color: #0000FF\">bc</font><br><font "
                             "style=\"background-color: #0000FF\">de</font>f<br>");
}

TEST(HtmlUnit, AttributesNameOnlyWhatDiffers) {
    auto unit = makeUnit(3, 1, bmSingleByte);
    testunits::PutText(*unit, 0, "abc");
    unit->editCell(0, 0).BackColor = kBlue;
    unit->editCell(0, 1).FontColor = kRed;
    unit->editCell(0, 2).FontColor = kRed;
    unit->editCell(0, 2).BackColor = kBlue;
    EXPECT_EQ(joined(*unit), "<font style=\"background-color: #0000FF\">a</font><font color=\"#FF0000\" >b</font>"
                             "<font color=\"#FF0000\" style=\"background-color: #0000FF\">c</font><br>");
}

TEST(HtmlUnit, EscapeTable) {
    EXPECT_EQ(THtmlUnit::HtmlEscapeByte(0x09), "&nbsp;&nbsp;");
    EXPECT_EQ(THtmlUnit::HtmlEscapeByte(0x20), "&nbsp;");
    EXPECT_EQ(THtmlUnit::HtmlEscapeByte('"'), "&quot;");
    EXPECT_EQ(THtmlUnit::HtmlEscapeByte('&'), "&amp;");
    EXPECT_EQ(THtmlUnit::HtmlEscapeByte('<'), "&lt;");
    EXPECT_EQ(THtmlUnit::HtmlEscapeByte('>'), "&gt;");
    const QByteArray special("\t \"&<>");
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (!special.contains(c)) {
            EXPECT_EQ(THtmlUnit::HtmlEscapeByte(static_cast<std::uint8_t>(b)), QByteArray(1, c)) << b;
        }
    }
    EXPECT_EQ(THtmlUnit::HtmlEscape("a\t&\xd6\xd0'"), "a&nbsp;&nbsp;&amp;\xd6\xd0'");
}

TEST(HtmlUnit, DoubleByteCellsCutAtTheFirstZeroByte) {
    auto unit = makeUnit(4, 1, bmDoubleByte);
    const std::uint8_t chars[4][2] = {{0xD6, 0xD0}, {'x', 0}, {0, 'y'}, {'&', ' '}};
    for (int c = 0; c < 4; ++c) {
        unit->editCell(0, c).Chars[0] = chars[c][0];
        unit->editCell(0, c).Chars[1] = chars[c][1];
    }
    unit->editCell(0, 2).BackColor = kRed; // no text, but its colour still counts
    EXPECT_EQ(joined(*unit), "\xd6\xd0x<font style=\"background-color: #FF0000\"></font>&amp;&nbsp;<br>");
}

TEST(HtmlUnit, SingleByteCellsShowTheSecondByteOnly) {
    auto unit = makeUnit(2, 1, bmSingleByte);
    unit->editCell(0, 0).Chars[0] = 'Q';
    unit->editCell(0, 0).Chars[1] = 'a';
    unit->editCell(0, 1).Chars[0] = 'Q';
    unit->editCell(0, 1).Chars[1] = '\t';
    EXPECT_EQ(joined(*unit), "a&nbsp;&nbsp;<br>");
}

// A unit one cell wide: each cell both starts and ends its row. Every row ends with "<br>", the
// neighbours are the cells above and below, and the cell beside it outside the extent is ignored.
TEST(HtmlUnit, OneCellWideUnitEndsEveryRow) {
    auto unit = makeUnit(1, 4, bmSingleByte);
    testunits::PutText(*unit, 0, "aX");
    testunits::PutText(*unit, 1, "b");
    testunits::PutText(*unit, 2, "c");
    testunits::PutText(*unit, 3, "d");
    unit->editCell(0, 1).FontColor = kBlue; // outside the extent
    unit->editCell(1, 0).FontColor = kRed;
    unit->editCell(2, 0).FontColor = kRed;
    const QList<CellMarkup> cells = convert(*unit);
    ASSERT_EQ(cells.size(), 4);
    EXPECT_EQ(cells[0].html, "a<br><font ");
    EXPECT_TRUE(cells[0].openTag);
    EXPECT_EQ(cells[1].html, "color=\"#FF0000\" >b</font><br><font ");
    EXPECT_TRUE(cells[1].openTag);
    EXPECT_EQ(cells[2].html, "color=\"#FF0000\" >c</font><br>");
    EXPECT_FALSE(cells[2].openTag);
    EXPECT_EQ(cells[3].html, "d<br>");
}

TEST(HtmlUnit, OneCellUnit) {
    auto unit = makeUnit(1, 1, bmSingleByte);
    testunits::PutText(*unit, 0, ">");
    unit->editCell(0, 0).FontColor = kRed;
    unit->editCell(0, 0).BackColor = kBlue;
    EXPECT_EQ(joined(*unit), "<font color=\"#FF0000\" style=\"background-color: #0000FF\">&gt;</font><br>");
}

TEST(HtmlUnit, FirstCellOpensItsOwnSpan) {
    auto unit = makeUnit(2, 1, bmSingleByte);
    testunits::PutText(*unit, 0, "ab");
    unit->editCell(0, 0).FontColor = kRed;
    unit->editCell(0, 1).FontColor = kRed;
    const QList<CellMarkup> cells = convert(*unit);
    EXPECT_EQ(cells[0].html, "<font color=\"#FF0000\" >a");
    EXPECT_FALSE(cells[0].openTag);
    EXPECT_EQ(cells[1].html, "b</font><br>");
}

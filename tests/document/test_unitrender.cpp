#include "ansiimage.h"
#include "glyphcache.h"
#include "guienvironment.h"
#include "unitrender.h"


#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

using namespace quillet;

namespace {

const bool kGui = (GuiEnvironment::install(), true);

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;

// TColor values (0x00BBGGRR) and the pixels they must become.
constexpr TColor kPageT = 0x00336699;
constexpr QRgb kPage = 0xFF996633;
constexpr TColor kBackT = 0x00804020;
constexpr QRgb kBack = 0xFF204080;
constexpr TColor kFontT = 0x0000FF00;
constexpr QRgb kFont = 0xFF00FF00;
constexpr TColor kCellBackT = 0x00FF8040;
constexpr QRgb kCellBack = 0xFF4080FF;
constexpr TColor kInkT = 0x000000FF;
constexpr QRgb kInk = 0xFFFF0000;

std::unique_ptr<TAnsiImage> makeUnit(std::uint8_t mode, int cols, int rows) {
    auto unit = std::make_unique<TAnsiImage>();
    unit->setByteMode(mode);
    unit->SetBackColor(kBackT);
    unit->SetFontColor(kFontT);
    unit->setPageColor(kPageT);
    unit->Clear();
    unit->setExtent(cols, rows);
    unit->FitSize();
    return unit;
}

// The picture last drawn for each unit (by address), drawn over by the next render as a view's is.
std::map<const TAnsiImage*, QImage>& drawnPictures() {
    static std::map<const TAnsiImage*, QImage> pictures;
    return pictures;
}

void render(const TAnsiImage& unit) {
    PrepareGlyphs(unit, GlyphCache::instance());
    RenderUnit(unit, GlyphCache::instance(), drawnPictures()[&unit]);
}

const QImage& pictureOf(const TAnsiImage& unit) {
    return drawnPictures()[&unit];
}

QRgb px(const TAnsiImage& unit, int x, int y) {
    return pictureOf(unit).pixel(x, y);
}

// Number of separate runs of `colour` down column x.
int runsDown(const QImage& img, int x, QRgb colour) {
    int runs = 0;
    bool inside = false;
    for (int y = 0; y < img.height(); ++y) {
        const bool match = img.pixel(x, y) == colour;
        runs += match && !inside;
        inside = match;
    }
    return runs;
}

// Top-left pixel of a cell's box.
QPoint cellOrigin(const TAnsiImage& unit, int row, int col) {
    return {21 + (unit.IsDoubleByte() ? 12 : 6) * col, 11 + 12 * row};
}

// Calls f(x, y) for every pixel of the text area outside the given rectangle.
void forOutside(const TAnsiImage& unit, const QRect& box, const std::function<void(int, int)>& f) {
    const int textRight = unit.width() - 21;
    const int textBottom = unit.height() - 11;
    for (int y = 11; y < textBottom; ++y)
        for (int x = 21; x < textRight; ++x)
            if (!box.contains(x, y)) f(x, y);
}

// The text-colour pixels of one cell's 12 x 12 area, as rows of '#' and '.'.
QString inkOf(const TAnsiImage& unit, int row, int col, QRgb ink) {
    const QPoint o = cellOrigin(unit, row, col);
    QString s;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x)
            s += px(unit, o.x() + x, o.y() + y) == ink ? QLatin1Char('#') : QLatin1Char('.');
        s += QLatin1Char('\n');
    }
    return s;
}

// A unit whose only drawn text is cell (1, 1), in kInk on kCellBack.
std::unique_ptr<TAnsiImage> oneCell(std::uint8_t mode, std::uint8_t first, std::uint8_t second) {
    auto unit = makeUnit(mode, 3, 3);
    for (int r = 0; r < 3; ++r)
        for (int j = 0; j < 3; ++j) {
            TAnsiCell& c = unit->editCell(r, j);
            c.Chars[0] = mode == bmDoubleByte ? 0 : 0x20; // double-byte cells starting with 0 draw nothing
            c.Chars[1] = 0x20;
        }
    TAnsiCell& c = unit->editCell(1, 1);
    c.Chars[0] = first;
    c.Chars[1] = second;
    c.FontColor = kInkT;
    c.BackColor = kCellBackT;
    render(*unit);
    return unit;
}

TEST(UnitFrame, EmptyUnitIsFrameWithOneHoleEachSide) {
    auto unit = makeUnit(bmDoubleByte, 0, 0);
    render(*unit);
    ASSERT_EQ(pictureOf(*unit).size(), QSize(44, 23));
    EXPECT_EQ(pictureOf(*unit).format(), QImage::Format_RGB32);
    EXPECT_EQ(runsDown(pictureOf(*unit), 10, kWhite), 1);
    EXPECT_EQ(runsDown(pictureOf(*unit), 44 - 10, kWhite), 1);
    EXPECT_EQ(px(*unit, 10, 14), kWhite);
    // Bands: outline rows 0 and 22, page colour above and below the one background row.
    EXPECT_EQ(px(*unit, 22, 0), kBlack);
    EXPECT_EQ(px(*unit, 22, 5), kPage);
    EXPECT_EQ(px(*unit, 22, 10), kBlack);
    EXPECT_EQ(px(*unit, 22, 11), kBack);
    EXPECT_EQ(px(*unit, 22, 12), kBlack);
    EXPECT_EQ(px(*unit, 22, 21), kPage);
    EXPECT_EQ(px(*unit, 22, 22), kBlack);
}

TEST(UnitFrame, FullUnitGeometryInBothModes) {
    for (auto [mode, cols] : {std::pair{bmDoubleByte, 100}, std::pair{bmSingleByte, 200}}) {
        SCOPED_TRACE(int(mode));
        auto unit = makeUnit(mode, cols, 80);
        render(*unit);
        const QImage& img = pictureOf(*unit);
        ASSERT_EQ(img.size(), QSize(1244, 983));
        // 36 holes per side, the last (k = 35, from y = 987) lies wholly below the edge.
        for (int x : {10, 1244 - 10}) {
            EXPECT_EQ(runsDown(img, x, kWhite), 35);
            for (int k = 0; k < 35; ++k)
                EXPECT_EQ(img.pixel(x, 28 * k + 14), kWhite) << k;
            for (int y = 28 * 34 + 21; y < 983; ++y)
                EXPECT_EQ(img.pixel(x, y), kBlack) << y;
        }
        // Side strips are black, the band and background rectangles outlined in black.
        for (int y : {0, 500, 982}) {
            EXPECT_EQ(img.pixel(0, y), kBlack);
            EXPECT_EQ(img.pixel(20, y), kBlack);
            EXPECT_EQ(img.pixel(1223, y), kBlack);
            EXPECT_EQ(img.pixel(1243, y), kBlack);
        }
        for (int x : {21, 600, 1222}) {
            EXPECT_EQ(img.pixel(x, 0), kBlack);
            EXPECT_EQ(img.pixel(x, 9), kPage);
            EXPECT_EQ(img.pixel(x, 10), kBlack);
            EXPECT_EQ(img.pixel(x, 972), kBlack);
            EXPECT_EQ(img.pixel(x, 973), kPage);
            EXPECT_EQ(img.pixel(x, 982), kBlack);
        }
        // Blank cells in the default colours: the text area, and the 2 + 1 pixels beyond it, are background.
        EXPECT_EQ(img.pixel(21, 11), kBack);
        EXPECT_EQ(img.pixel(1222, 971), kBack);
        EXPECT_EQ(img.pixel(1220, 970), kBack);
    }
}

TEST(UnitFrame, HolesAreRedWhenSelectedAndOutlinedInside) {
    auto unit = makeUnit(bmDoubleByte, 2, 2); // height 47: the second hole is cut off at the bottom
    unit->setSelected(true);
    render(*unit);
    const QImage& img = pictureOf(*unit);
    ASSERT_EQ(img.size(), QSize(68, 47));
    for (int left : {3, 68 - 17}) {
        int filled = 0;
        for (int y = 7; y < 21; ++y)
            for (int x = left; x < left + 14; ++x) {
                const QRgb p = img.pixel(x, y);
                ASSERT_TRUE(p == kBlack || p == kRed) << x << "," << y;
                const bool edge = y == 7 || y == 20 || x == left || x == left + 13;
                EXPECT_FALSE(edge && p == kRed) << "outline must be black at " << x << "," << y;
                filled += p == kRed;
            }
        EXPECT_GT(filled, 100); // a 12-pixel disc inside a 1-pixel outline
        EXPECT_EQ(img.pixel(left + 7, 28 + 14), kRed) << "cut-off hole still drawn";
        EXPECT_EQ(img.pixel(left - 1, 14), kBlack);
    }
    unit->setSelected(false);
    render(*unit);
    EXPECT_EQ(pictureOf(*unit).pixel(10, 14), kWhite);
    EXPECT_EQ(pictureOf(*unit).pixel(68 - 10, 14), kWhite);
}

TEST(UnitRender, BlankCellShowsItsBackgroundUnderItsBoxOnly) {
    auto unit = oneCell(bmDoubleByte, 0x20, 0x20);
    const QRect box(cellOrigin(*unit, 1, 1), QSize(12, 12));
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            ASSERT_EQ(px(*unit, x, y), kCellBack) << x << "," << y;
    forOutside(*unit, box, [&](int x, int y) { ASSERT_EQ(px(*unit, x, y), kBack) << x << "," << y; });
}

TEST(UnitRender, EachSingleByteCellHasItsOwnColours) {
    auto unit = makeUnit(bmSingleByte, 5, 1);
    for (int j = 0; j < 5; ++j)
        unit->editCell(0, j).BackColor = 0x101010 * (j + 1);
    unit->editCell(0, 3).Chars[1] = 'W';
    unit->editCell(0, 3).FontColor = kInkT;
    render(*unit);
    for (int j = 0; j < 5; ++j) {
        const QRgb back = 0xFF000000u | 0x101010u * static_cast<unsigned>(j + 1);
        for (int x = 0; x < 6; ++x)
            for (int y = 0; y < 12; ++y) {
                const QRgb p = px(*unit, 21 + 6 * j + x, 11 + y);
                ASSERT_TRUE(p == back || (j == 3 && p == kInk)) << j << ":" << x << "," << y;
            }
    }
    EXPECT_NE(inkOf(*unit, 0, 3, kInk).count(QLatin1Char('#')), 0);
    EXPECT_EQ(px(*unit, 21 + 30, 11), kBack);
}

TEST(UnitRender, CellBoxIsSixPixelsPerByteShown) {
    auto one = oneCell(bmDoubleByte, 'A', 0);
    const QPoint o = cellOrigin(*one, 1, 1);
    EXPECT_EQ(px(*one, o.x(), o.y()), kCellBack);
    EXPECT_EQ(px(*one, o.x() + 5, o.y()), kCellBack);
    EXPECT_EQ(px(*one, o.x() + 6, o.y()), kBack);
    EXPECT_NE(inkOf(*one, 1, 1, kInk).count(QLatin1Char('#')), 0);

    auto nothing = oneCell(bmDoubleByte, 0, 'A');
    forOutside(*nothing, QRect(), [&](int x, int y) { ASSERT_EQ(px(*nothing, x, y), kBack) << x << "," << y; });

    auto single = oneCell(bmSingleByte, 0x20, 'A');
    const QPoint s = cellOrigin(*single, 1, 1);
    EXPECT_EQ(s, QPoint(27, 23));
    EXPECT_EQ(px(*single, s.x() + 5, s.y() + 11), kCellBack);
    EXPECT_EQ(px(*single, s.x() + 6, s.y()), kBack);
    EXPECT_EQ(inkOf(*single, 1, 1, kInk), inkOf(*one, 1, 1, kInk));
}

TEST(UnitRender, GbkPairIsOneGlyph) {
    // 0xD6 0xD0 is one character; drawn as one glyph its ink crosses the middle of the 12-pixel box.
    auto pair = oneCell(bmDoubleByte, 0xD6, 0xD0);
    const QString glyph = inkOf(*pair, 1, 1, kInk);
    bool leftHalf = false;
    bool rightHalf = false;
    for (const QString& line : glyph.split(QLatin1Char('\n'))) {
        leftHalf |= line.left(6).contains(QLatin1Char('#'));
        rightHalf |= line.mid(6).contains(QLatin1Char('#'));
    }
    EXPECT_TRUE(leftHalf && rightHalf) << qPrintable(glyph);

    // Not the same as its two bytes drawn apart (each alone is a lone lead byte).
    auto apart = makeUnit(bmSingleByte, 4, 3);
    apart->editCell(1, 2).Chars[1] = 0xD6;
    apart->editCell(1, 3).Chars[1] = 0xD0;
    for (int j : {2, 3})
        apart->editCell(1, j).FontColor = kInkT;
    render(*apart);
    QString halves;
    const QString left = inkOf(*apart, 1, 2, kInk);
    const QString right = inkOf(*apart, 1, 3, kInk);
    for (int y = 0; y < 12; ++y)
        halves += left.mid(y * 13, 6) + right.mid(y * 13, 6) + QLatin1Char('\n');
    EXPECT_NE(glyph, halves);

    // A pair that is not one character is its two bytes, six pixels each.
    auto ab = oneCell(bmDoubleByte, 'A', 'B');
    auto a = oneCell(bmDoubleByte, 'A', 0);
    auto b = oneCell(bmDoubleByte, 'B', 0);
    const QString abInk = inkOf(*ab, 1, 1, kInk);
    const QString aInk = inkOf(*a, 1, 1, kInk);
    const QString bInk = inkOf(*b, 1, 1, kInk);
    for (int y = 0; y < 12; ++y) {
        EXPECT_EQ(abInk.mid(y * 13, 6), aInk.mid(y * 13, 6));
        EXPECT_EQ(abInk.mid(y * 13 + 6, 6), bInk.mid(y * 13, 6));
    }
}

TEST(UnitRender, UndecodableBytesDrawTheReplacementInsideTheirBox) {
    // A lone lead byte, a control byte and a byte outside GBK all show the same replacement.
    auto lead = oneCell(bmSingleByte, 0x20, 0x81);
    const QString replacement = inkOf(*lead, 1, 1, kInk);
    EXPECT_NE(replacement.count(QLatin1Char('#')), 0);
    EXPECT_EQ(inkOf(*oneCell(bmSingleByte, 0x20, 0x07), 1, 1, kInk), replacement);
    EXPECT_EQ(inkOf(*oneCell(bmSingleByte, 0x20, 0xFF), 1, 1, kInk), replacement);
    const QString letterA = inkOf(*oneCell(bmSingleByte, 0x20, 'A'), 1, 1, kInk);
    EXPECT_NE(letterA, replacement);
    EXPECT_NE(letterA, inkOf(*oneCell(bmSingleByte, 0x20, 'B'), 1, 1, kInk));
    // A well-formed pair that no font shows (user-defined area) is one replacement, 12 pixels wide.
    const QString userDefined = inkOf(*oneCell(bmDoubleByte, 0xAA, 0xA1), 1, 1, kInk);
    EXPECT_EQ(userDefined, inkOf(*oneCell(bmDoubleByte, 0xFE, 0xFE), 1, 1, kInk));
    EXPECT_NE(userDefined, replacement);
    for (int y = 0; y < 12; ++y)
        EXPECT_EQ(userDefined.mid(y * 13, 6), replacement.mid(y * 13, 6));
    // In a double-byte cell an invalid pair is a replacement followed by its second byte.
    auto invalid = oneCell(bmDoubleByte, 0x81, 0x20);
    EXPECT_EQ(inkOf(*invalid, 1, 1, kInk), replacement);
    const QRect box(cellOrigin(*invalid, 1, 1), QSize(12, 12));
    forOutside(*invalid, box, [&](int x, int y) { ASSERT_EQ(px(*invalid, x, y), kBack) << x << "," << y; });
}

// Every byte alone and a spread of pairs: ink and box colour stay inside the cell's box.
TEST(UnitRender, GlyphsNeverLeaveTheirBox) {
    auto check = [](std::uint8_t mode, std::uint8_t first, std::uint8_t second) {
        auto unit = oneCell(mode, first, second);
        const int shown = mode == bmDoubleByte ? (second ? 2 : 1) : 1;
        const QRect box(cellOrigin(*unit, 1, 1), QSize(6 * shown, 12));
        bool clean = true;
        forOutside(*unit, box, [&](int x, int y) { clean &= px(*unit, x, y) == kBack; });
        EXPECT_TRUE(clean) << std::hex << int(first) << " " << int(second);
    };
    for (int b = 0; b < 256; ++b) {
        check(bmSingleByte, 0x20, static_cast<std::uint8_t>(b));
        if (b != 0) check(bmDoubleByte, static_cast<std::uint8_t>(b), 0);
    }
    for (int lead = 0x80; lead <= 0xFF; ++lead)
        for (int trail : {0x30, 0x40, 0x7F, 0x80, 0xA1, 0xFE, 0xFF})
            check(bmDoubleByte, static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail));
}

// Masks made hundreds at a time are the same as masks made one by one.
TEST(UnitRender, GlyphsMadeTogetherMatchGlyphsMadeAlone) {
    auto unit = makeUnit(bmDoubleByte, 20, 15);
    auto pairAt = [](int i) {
        return std::pair{static_cast<std::uint8_t>(0xB0 + i / 94), static_cast<std::uint8_t>(0xA1 + i % 94)};
    };
    for (int i = 0; i < 300; ++i) {
        TAnsiCell& c = unit->editCell(i / 20, i % 20);
        std::tie(c.Chars[0], c.Chars[1]) = pairAt(i);
        c.FontColor = kInkT;
    }
    GlyphCache::instance().clear();
    render(*unit);
    EXPECT_EQ(GlyphCache::instance().size(), 300);
    for (int i : {0, 1, 93, 94, 255, 256, 257, 299}) {
        const QString together = inkOf(*unit, i / 20, i % 20, kInk);
        GlyphCache::instance().clear();
        const auto [first, second] = pairAt(i);
        EXPECT_EQ(inkOf(*oneCell(bmDoubleByte, first, second), 1, 1, kInk), together) << i;
        EXPECT_NE(together.count(QLatin1Char('#')), 0) << i;
    }
}

TEST(UnitRender, SharedPictureIsNotRedrawnInPlace) {
    auto unit = makeUnit(bmDoubleByte, 4, 4);
    render(*unit);
    const QImage shown = pictureOf(*unit);
    unit->setSelected(true);
    render(*unit);
    EXPECT_EQ(shown.pixel(10, 14), kWhite);
    EXPECT_EQ(pictureOf(*unit).pixel(10, 14), kRed);

    unit->setExtent(10, unit->rows());
    unit->FitSize();
    render(*unit);
    EXPECT_EQ(pictureOf(*unit).size(), QSize(164, 71));
}

TEST(UnitRender, ExtentLargerThanPictureIsCutToThePicture) {
    auto unit = makeUnit(bmDoubleByte, 0, 0);
    unit->setExtent(200, 80);
    render(*unit);
    ASSERT_EQ(pictureOf(*unit).size(), QSize(44, 23));
    EXPECT_EQ(pictureOf(*unit).pixel(10, 14), kWhite);
}

TEST(UnitRender, PictureTooSmallForAFrameIsBlack) {
    auto unit = makeUnit(bmDoubleByte, 1, 1);
    unit->setSize(30, 5);
    render(*unit);
    ASSERT_EQ(pictureOf(*unit).size(), QSize(30, 5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(px(*unit, x, y), kBlack);
}

// Cells drawn again alone need and draw their own glyphs only, and only in a picture of the unit's size.
TEST(UnitRender, RenderCellsDrawsTheDrawnCellsAmongThoseGiven) {
    auto unit = oneCell(bmDoubleByte, 0xD6, 0xD0);
    QImage picture = pictureOf(*unit).copy();
    TAnsiCell& c = unit->editCell(1, 2);
    c.Chars[0] = 'Q';
    c.Chars[1] = 'R';
    c.FontColor = kInkT;
    TAnsiCell& d = unit->editCell(2, 0);
    d.Chars[0] = 'x';
    d.BackColor = kCellBackT;
    unit->editCell(5, 5).BackColor = kCellBackT; // outside the extent: never drawn

    GlyphCache cache;
    PrepareGlyphs(*unit, cache, QRect(2, 1, 4, 10));
    EXPECT_EQ(cache.size(), 1) << "only 'QR' is drawn among those cells";
    PrepareGlyphs(*unit, cache, QRect(0, 2, 1, 1));
    QImage otherSize = picture.copy(0, 0, 200, 100); // room for every cell of the extent
    const QImage untouched = otherSize.copy();
    for (const QRect& cells : {QRect(2, 1, 4, 10), QRect(0, 2, 1, 1), QRect(5, 5, 2, 2)}) {
        RenderCells(*unit, cache, picture, cells);
        RenderCells(*unit, cache, otherSize, cells);
    }
    render(*unit);
    EXPECT_EQ(picture, pictureOf(*unit));
    EXPECT_EQ(otherSize, untouched);
}

TEST(UnitRender, SystemColoursUseTheirLowBits) {
    auto unit = makeUnit(bmDoubleByte, 1, 1);
    unit->editCell(0, 0).BackColor = static_cast<TColor>(0x80FF8040);
    render(*unit);
    EXPECT_EQ(px(*unit, 21, 11), kCellBack);
}

} // namespace

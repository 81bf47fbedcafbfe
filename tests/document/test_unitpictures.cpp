// The picture service draws a unit again exactly when it changed, with the pixels a fresh drawing
// has; a picture patched cell by cell after edits is the one a fresh drawing gives; and pictures
// drawn on two threads from prepared glyphs are those drawn on one.
#include "filmpanel.h"
#include "glyphcache.h"
#include "guienvironment.h"
#include "unitpictures.h"
#include "unitrender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <thread>

using namespace quillet;

namespace {

const bool kGui = (GuiEnvironment::install(), true);

// A unit of the given mode with text and colours that differ from cell to cell.
std::unique_ptr<TAnsiImage> textUnit(std::uint8_t mode, int seed) {
    auto unit = std::make_unique<TAnsiImage>();
    unit->setByteMode(mode);
    unit->SetBackColor(0xFFFFFF);
    unit->SetFontColor(0x008000);
    unit->Clear();
    QList<QByteArray> lines;
    for (int r = 0; r < 12; ++r) {
        QByteArray line;
        for (int j = 0; j < 16; ++j) {
            const int n = seed * 31 + r * 16 + j;
            if (mode == bmDoubleByte)
                line.append(static_cast<char>(0xB0 + n % 20)).append(static_cast<char>(0xA1 + n % 90));
            else
                line.append(static_cast<char>('!' + n % 90));
        }
        lines << line;
    }
    unit->SetLines(lines);
    for (int r = 0; r < 12; r += 3)
        unit->editCell(r, r).BackColor = 0x0000FF * (r + 1);
    return unit;
}

// A random cell: blanks, GB2312 characters, letters, any single byte (lone lead bytes, control
// bytes, 0), with `anyPair` also any pair; any colours including system colours. Whole units are
// filled without `anyPair`, which would make thousands of glyphs.
TAnsiCell randomCell(std::mt19937& rng, bool anyPair) {
    auto byte = [&](int low, int high) {
        return static_cast<std::uint8_t>(std::uniform_int_distribution(low, high)(rng));
    };
    TAnsiCell c{};
    switch (std::uniform_int_distribution(0, anyPair ? 5 : 3)(rng)) {
    case 0:
        c.Chars[0] = c.Chars[1] = 0x20;
        break;
    case 1:
        c.Chars[0] = byte(0xB0, 0xB3);
        c.Chars[1] = byte(0xA1, 0xA8);
        break;
    case 2:
        c.Chars[0] = byte('A', 'D');
        c.Chars[1] = byte('a', 'd');
        break;
    case 3:
        c.Chars[0] = byte(0, 1) ? 0 : 0x20;
        c.Chars[1] = byte(0, 255);
        break;
    default:
        c.Chars[0] = byte(0, 255);
        c.Chars[1] = byte(0, 255);
        break;
    }
    c.Reserved[0] = byte(0, 255);
    auto colour = [&] {
        return static_cast<TColor>(std::uniform_int_distribution<std::uint32_t>()(rng) & 0x80FFFFFFu);
    };
    c.FontColor = colour();
    c.BackColor = colour();
    return c;
}

// A unit with random cells over the whole grid, of the given mode and extent. Usually sized to its
// extent; otherwise given a size of its own, which cuts the cells drawn or leaves room beside them.
std::unique_ptr<TAnsiImage> randomUnit(std::mt19937& rng, std::uint8_t mode, int cols, int rows) {
    auto unit = std::make_unique<TAnsiImage>();
    unit->setByteMode(mode);
    unit->SetBackColor(static_cast<TColor>(rng() & 0xFFFFFF));
    unit->SetFontColor(static_cast<TColor>(rng() & 0xFFFFFF));
    std::vector<TAnsiImage::CellWrite> cells;
    for (int i = 0; i < kGridCells; ++i)
        cells.push_back({i, randomCell(rng, false)});
    unit->writeCells(cells);
    unit->setExtent(cols, rows);
    unit->FitSize();
    if (std::uniform_int_distribution(0, 3)(rng) == 0)
        unit->setSize(std::uniform_int_distribution(30, unit->width() + 40)(rng),
                      std::uniform_int_distribution(20, unit->height() + 30)(rng));
    return unit;
}

// One keystroke or brush step: a single cell, a run along a row, or cells anywhere in the grid
// (some outside it, to be ignored).
std::vector<TAnsiImage::CellWrite> randomWrites(std::mt19937& rng) {
    std::vector<TAnsiImage::CellWrite> writes;
    const int row = std::uniform_int_distribution(0, kGridRows - 1)(rng);
    const int col = std::uniform_int_distribution(0, kGridCols - 8)(rng);
    switch (std::uniform_int_distribution(0, 2)(rng)) {
    case 0:
        writes.push_back({row * kGridCols + col, randomCell(rng, true)});
        break;
    case 1:
        for (int j = 0; j < 8; ++j)
            writes.push_back({row * kGridCols + col + j, randomCell(rng, true)});
        break;
    default:
        for (int k = 0; k < 5; ++k)
            writes.push_back({std::uniform_int_distribution(-3, kGridCells + 3)(rng), randomCell(rng, true)});
        break;
    }
    return writes;
}

// Whether two pictures of one size have the same pixels outside the rectangle.
bool sameOutside(const QImage& a, const QImage& b, const QRect& area) {
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        const bool crossed = y >= area.top() && y <= area.bottom();
        const int left = crossed ? area.left() : a.width();
        const int right = crossed ? area.right() + 1 : a.width();
        if (!std::equal(rowA, rowA + left, rowB) || !std::equal(rowA + right, rowA + a.width(), rowB + right))
            return false;
    }
    return true;
}

std::vector<std::unique_ptr<TAnsiImage>> units(std::unique_ptr<TAnsiImage> a, std::unique_ptr<TAnsiImage> b) {
    std::vector<std::unique_ptr<TAnsiImage>> all;
    all.push_back(std::move(a));
    all.push_back(std::move(b));
    return all;
}

} // namespace

TEST(UnitPictures, DrawsAgainOnlyAfterAChangeAndAsAFreshDrawingDoes) {
    TFilmPanel strip;
    strip.AppendUnits(units(textUnit(bmDoubleByte, 1), textUnit(bmSingleByte, 2)));
    UnitPictures pictures;
    const TAnsiImage& first = strip.GetUnit(0);
    const TAnsiImage& second = strip.GetUnit(1);

    const QImage drawn = pictures.picture(first);
    EXPECT_EQ(drawn, RenderUnitPicture(first));
    EXPECT_EQ(pictures.picture(first).cacheKey(), drawn.cacheKey()) << "unchanged: not drawn again";

    // A move changes places, not pictures; the moved current unit stays current, as the editor has it.
    const qint64 secondKey = pictures.picture(second).cacheKey();
    strip.MoveUnit(1, true);
    strip.SelectUnit(0);
    EXPECT_EQ(pictures.picture(second).cacheKey(), secondKey);

    // The new content shows, with the pixels a fresh drawing has.
    strip.SetUnitContent(first.tag(), {"abc", "de"}, 0x0000FF, 0xFF0000);
    const QImage changed = pictures.picture(first);
    EXPECT_NE(changed, drawn);
    EXPECT_EQ(changed, RenderUnitPicture(first));

    // The frame alone: selection and page colour.
    strip.UnitClick(first);
    EXPECT_EQ(pictures.picture(first), RenderUnitPicture(first));
    EXPECT_NE(pictures.picture(first), changed);
    strip.SetPageColor(0x00FFFF);
    EXPECT_EQ(pictures.picture(second), RenderUnitPicture(second));

    // Deleted units' pictures go.
    EXPECT_EQ(pictures.size(), 2);
    strip.DeleteUnit(0);
    pictures.retainOnly(strip);
    EXPECT_EQ(pictures.size(), 1);
}

TEST(UnitPictures, TwoThreadsDrawWhatOneThreadDraws) {
    const auto doubleByte = textUnit(bmDoubleByte, 3);
    const auto singleByte = textUnit(bmSingleByte, 4);
    GlyphCache& cache = GlyphCache::instance();
    PrepareGlyphs(*doubleByte, cache);
    PrepareGlyphs(*singleByte, cache);
    QImage alone[2];
    RenderUnit(*doubleByte, cache, alone[0]);
    RenderUnit(*singleByte, cache, alone[1]);

    QImage together[2];
    const GlyphCache& prepared = cache;
    std::thread one([&] {
        for (int k = 0; k < 3; ++k)
            RenderUnit(*doubleByte, prepared, together[0]);
    });
    std::thread two([&] {
        for (int k = 0; k < 3; ++k)
            RenderUnit(*singleByte, prepared, together[1]);
    });
    one.join();
    two.join();
    EXPECT_EQ(together[0], alone[0]);
    EXPECT_EQ(together[1], alone[1]);
    EXPECT_NE(alone[0], alone[1]);
}

// Edits patched into the kept picture one after the other give the picture a whole drawing gives;
// only the pixels of the edited cells change. In single-byte mode a patch starting at an odd column
// or a single cell draws the cells one by one where the whole drawing draws them in pairs.
TEST(UnitPictures, PatchedCellsAreWhatAWholeDrawingGives) {
    std::mt19937 rng(20240611);
    GlyphCache reference; // the whole drawings' glyphs; the process's cache starts empty at each patch
    for (const std::uint8_t mode : {bmDoubleByte, bmSingleByte}) {
        const int widest = mode == bmDoubleByte ? 100 : 200;
        for (const auto& [cols, rows] : {std::pair{widest, 80}, std::pair{0, 0}, std::pair{1, 1}, std::pair{7, 3},
                                         std::pair{widest - 1, 9}, std::pair{33, 80}, std::pair{200, 40}}) {
            SCOPED_TRACE(testing::Message() << "mode " << int(mode) << ", extent " << cols << "x" << rows);
            TFilmPanel strip;
            strip.AppendUnits(units(randomUnit(rng, mode, cols, rows), randomUnit(rng, mode, 5, 5)));
            const TAnsiImage& unit = strip.GetUnit(0);
            QRect written;
            QObject::connect(&strip, &TFilmPanel::unitContentChanged,
                             [&written](int, const QRect& cells) { written = cells; });
            UnitPictures pictures;
            pictures.picture(unit);
            QImage before;
            QImage whole;
            PrepareGlyphs(unit, reference);
            RenderUnit(unit, reference, whole);
            for (int step = 0; step < 4; ++step) {
                SCOPED_TRACE(step);
                std::swap(before, whole);
                QRect changed;
                for (int keystroke = 0; keystroke < 2; ++keystroke) { // the second patches the first's picture
                    strip.EditCells(0, randomWrites(rng), unit.cols(), unit.rows());
                    GlyphCache::instance().clear(); // the patch makes the glyphs it needs
                    ASSERT_TRUE(pictures.redrawCells(unit, written));
                    changed |= written;
                }
                PrepareGlyphs(unit, reference);
                RenderUnit(unit, reference, whole);
                ASSERT_EQ(pictures.picture(unit), whole);
                ASSERT_TRUE(sameOutside(before, whole, CellArea(unit, changed)));
            }
        }
    }
}

// A picture is patched only when it is one step behind at the unit's size; otherwise it is left
// for a whole drawing.
TEST(UnitPictures, PatchesOnlyAPictureOneStepBehindAtTheUnitsSize) {
    std::mt19937 rng(7);
    const auto unit = randomUnit(rng, bmDoubleByte, 10, 6);
    const std::vector<TAnsiImage::CellWrite> write = {{2 * kGridCols + 3, randomCell(rng, true)}};
    const QRect cell(3, 2, 1, 1);
    UnitPictures pictures;
    unit->writeCells(write);
    EXPECT_FALSE(pictures.redrawCells(*unit, cell)) << "no picture kept";
    EXPECT_EQ(pictures.size(), 0);

    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"size changed in one step", [&] { unit->setSize(unit->width() + 12, unit->height()); }},
        {"two steps",
         [&] {
             unit->writeCells(write);
             unit->writeCells(write);
         }},
        {"up to date", [] {}},
    };
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        pictures.picture(*unit);
        change();
        EXPECT_FALSE(pictures.redrawCells(*unit, cell));
        EXPECT_EQ(pictures.picture(*unit), RenderUnitPicture(*unit));
    }
}

// Random requests, edits, resizes and changes of the budget over units of several sizes against a
// budget of a few pictures: the kept pictures are always the most recently used ones that fit together (the one
// asked for last always kept), their bytes never pass the budget, and every picture handed out,
// drawn anew after it was let go or drawn over a let-go one, is what a fresh drawing gives.
TEST(UnitPictures, KeepsTheMostRecentlyUsedThatFitTheBudget) {
    for (const std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        std::vector<std::unique_ptr<TAnsiImage>> units;
        for (int u = 0; u < 7; ++u) // three sizes, so some let-go pictures fit a new unit and some not
            units.push_back(randomUnit(rng, u % 2 ? bmSingleByte : bmDoubleByte, 4 + u % 3 * 6, 3 + u % 3 * 4));
        auto bytesOf = [](const TAnsiImage& unit) { return qsizetype(unit.width()) * unit.height() * 4; };
        qsizetype budget = 3 * bytesOf(*units[2]) + std::uniform_int_distribution(0, 4000)(rng);
        UnitPictures pictures(budget);
        std::vector<std::pair<int, qsizetype>> kept; // the model: unit and bytes, most recently used first
        QImage held;        // the last picture handed out, kept by the caller: never drawn over
        QImage heldDrawing; // and its pixels
        bool budgetJustSet = false;

        // The pictures most recently used first, as many as fit the budget together (at least one).
        auto trimModel = [&] {
            qsizetype total = 0;
            std::size_t fit = 0;
            while (fit < kept.size() && (fit == 0 || total + kept[fit].second <= budget))
                total += kept[fit++].second;
            kept.resize(fit);
        };

        for (int step = 0; step < 150; ++step) {
            SCOPED_TRACE(step);
            const int u = std::uniform_int_distribution(0, int(units.size()) - 1)(rng);
            TAnsiImage& unit = *units[u];
            switch (std::uniform_int_distribution(0, 6)(rng)) {
            case 6: // a view asks for more room or gives some back
                budget = std::uniform_int_distribution(1, 5)(rng) * bytesOf(*units[2]) +
                         std::uniform_int_distribution(0, 4000)(rng);
                pictures.setBudget(budget);
                budgetJustSet = true; // the pictures over it go when the next one is drawn
                break;
            case 0: // a change: the kept picture, if any, is out of date
                unit.writeCells(randomWrites(rng));
                break;
            case 1: // a change of size
                unit.setSize(std::max(30, unit.width() + std::uniform_int_distribution(-8, 8)(rng)), unit.height());
                break;
            default: {
                const bool upToDate = pictures.holds(unit);
                held = pictures.picture(unit);
                heldDrawing = RenderUnitPicture(unit);
                ASSERT_EQ(held, heldDrawing) << (upToDate ? "kept" : "drawn");
                const auto old = std::find_if(kept.begin(), kept.end(), [u](const auto& k) { return k.first == u; });
                if (old != kept.end()) kept.erase(old);
                kept.insert(kept.begin(), {u, bytesOf(unit)});
                if (upToDate) break;
                trimModel(); // drawing lets the least recently used go until the rest fit
                budgetJustSet = false;
                break;
            }
            }
            qsizetype total = 0;
            for (const auto& k : kept)
                total += k.second;
            for (std::size_t k = 0; k < units.size(); ++k) {
                const bool inModel =
                    std::any_of(kept.begin(), kept.end(), [k](const auto& e) { return e.first == int(k); });
                ASSERT_TRUE(inModel || !pictures.holds(*units[k])) << "unit " << k << " should have been let go";
            }
            ASSERT_EQ(pictures.size(), int(kept.size()));
            ASSERT_EQ(pictures.bytes(), total);
            ASSERT_TRUE(pictures.bytes() <= budget || pictures.size() == 1 || budgetJustSet);
            ASSERT_EQ(held, heldDrawing);
        }
    }
}

// A picture let go is not patched: redrawCells answers false and keeps nothing, and the next
// picture() draws the whole unit as a fresh drawing does. A picture handed out without being kept
// changes nothing kept.
TEST(UnitPictures, LetGoPicturesAreDrawnWhole) {
    std::mt19937 rng(11);
    TFilmPanel strip;
    strip.AppendUnits(units(randomUnit(rng, bmDoubleByte, 20, 10), randomUnit(rng, bmSingleByte, 20, 10)));
    const TAnsiImage& first = strip.GetUnit(0);
    const TAnsiImage& second = strip.GetUnit(1);
    QRect written;
    QObject::connect(&strip, &TFilmPanel::unitContentChanged, [&written](int, const QRect& cells) { written = cells; });
    UnitPictures pictures(1); // room for the last one asked for only
    pictures.picture(first);
    const qint64 secondKey = pictures.picture(second).cacheKey();
    EXPECT_FALSE(pictures.holds(first));

    strip.EditCells(0, randomWrites(rng), first.cols(), first.rows());
    EXPECT_FALSE(pictures.redrawCells(first, written));
    EXPECT_EQ(pictures.size(), 1);
    EXPECT_EQ(pictures.drawnPicture(first), RenderUnitPicture(first));
    EXPECT_FALSE(pictures.holds(first)) << "drawn for the caller alone";
    EXPECT_EQ(pictures.drawnPicture(second).cacheKey(), secondKey) << "the kept one, not drawn again";
    EXPECT_EQ(pictures.picture(first), RenderUnitPicture(first));
    EXPECT_TRUE(pictures.holds(first));
    EXPECT_FALSE(pictures.holds(second));
}

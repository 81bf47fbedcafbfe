// The picture service draws a unit again exactly when it changed, with the pixels a fresh drawing
// has; and pictures drawn on two threads from prepared glyphs are those drawn on one.
#include "filmpanel.h"
#include "glyphcache.h"
#include "guienvironment.h"
#include "unitpictures.h"
#include "unitrender.h"


#include <gtest/gtest.h>

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

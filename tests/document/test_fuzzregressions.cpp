// Inputs the fuzz targets found wanting, kept as fixtures so the fault stays mended.
#include "ansiimage.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

QString fixture(const char* name) {
    return QStringLiteral(QUILLET_TEST_DATA "/regressions/") + QString::fromUtf8(name);
}

// A page of more than 80 lines whose longest line comes after the 80th: the lines past the grid
// are dropped, but the unit is as wide as the longest line of the whole page.
TEST(FuzzRegressions, WidestLineAfterLine80SetsTheWidth) {
    TAnsiImage unit;
    unit.setByteMode(bmSingleByte);
    unit.Clear();
    unit.LoadFromTextFile(fixture("widest-line-after-line-80.txt"));
    EXPECT_EQ(unit.rows(), 80);
    EXPECT_EQ(unit.cols(), 102);
    const QList<QByteArray> lines = unit.GetLines();
    ASSERT_EQ(lines.size(), 80);
    EXPECT_EQ(lines.last(), QByteArray("line 79"));

    TAnsiImage doubleByte;
    doubleByte.setByteMode(bmDoubleByte);
    doubleByte.Clear();
    doubleByte.LoadFromTextFile(fixture("widest-line-after-line-80.txt"));
    EXPECT_EQ(doubleByte.cols(), 51);
}

} // namespace
} // namespace quillet

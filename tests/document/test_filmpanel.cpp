#include "fileerror.h"
#include "filmpanel.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace quillet;

namespace {

// A record whose extent is cols x rows cells (at least 8 x 2).
QByteArray recordOf(int cols, int rows, char mark = 'x') {
    TAnsiImage unit;
    unit.SetBackColor(0xFFFFFF);
    unit.Clear();
    unit.cell(rows - 1, cols - 1).Chars[1] = static_cast<std::uint8_t>(mark);
    return QByteArray(reinterpret_cast<const char*>(unit.FGrid.data()), kRecordSize);
}

// Records what the strip tells its owner, and what the strip looked like at that moment.
struct Listener {
    explicit Listener(TFilmPanel& strip) {
        QObject::connect(&strip, &TFilmPanel::unitChanged, [this, &strip] { changes.push_back(strip.FCurrentIndex); });
        QObject::connect(&strip, &TFilmPanel::unitRendered, [this](int index) { rendered.push_back(index); });
    }
    std::vector<int> changes;
    std::vector<int> rendered;
};

void expectConsistent(const TFilmPanel& strip) {
    int top = 20;
    int selected = 0;
    for (int k = 0; k < TFilmPanel::kMaxUnits; ++k) {
        if (k >= strip.FCount) {
            EXPECT_FALSE(strip.FUnits[k]) << k;
            continue;
        }
        const TAnsiImage& unit = strip.GetUnit(k);
        EXPECT_EQ(unit.Tag, k);
        EXPECT_EQ(unit.Top, top) << k;
        EXPECT_EQ(unit.Left, 20);
        top += unit.Height + 20;
        selected += unit.FSelected ? 1 : 0;
        EXPECT_EQ(unit.FSelected, k == strip.FCurrentIndex);
    }
    EXPECT_EQ(selected, strip.FCount > 0 ? 1 : 0);
    if (strip.FCount == 0) {
        EXPECT_EQ(strip.FCurrentIndex, -1);
    }
}

// Five units of different sizes: widths 92, 104, 116, 128, 140 and heights 47, 59, 71, 83, 95.
void fillFive(TFilmPanel& strip) {
    for (int k = 0; k < 5; ++k)
        strip.AddRecordUnit(recordOf(8 + 2 * k, 2 + k).constData());
}

} // namespace

TEST(FilmPanel, FirstUnitGeometryAndHeightAfterEmptying) {
    TFilmPanel strip;
    strip.FPageColor = 0x123456;
    Listener listener(strip);
    strip.AddRecordUnit(recordOf(10, 3).constData());
    const TAnsiImage& unit = strip.GetUnit(0);
    EXPECT_EQ(unit.Left, 20);
    EXPECT_EQ(unit.Top, 20);
    EXPECT_EQ(unit.Width, 6 * 10 + 44);
    EXPECT_EQ(unit.Height, 12 * 3 + 23);
    EXPECT_EQ(unit.FPageColor, 0x123456);
    EXPECT_EQ(strip.Width, unit.Width + 40);
    EXPECT_EQ(strip.Height, unit.Height + 20);
    EXPECT_EQ(strip.FCurrentIndex, 0);
    EXPECT_TRUE(unit.FSelected);
    EXPECT_EQ(unit.Picture.size(), QSize(unit.Width, unit.Height));
    EXPECT_EQ(listener.changes, std::vector<int>{0});

    strip.DeleteUnit(0);
    EXPECT_EQ(strip.FCount, 0);
    EXPECT_EQ(strip.FCurrentIndex, -1);
    EXPECT_EQ(strip.Height, 1);
    EXPECT_EQ(strip.Width, 40);
    EXPECT_EQ(listener.changes.size(), 1u) << "emptying the strip sends no notification";

    strip.AddRecordUnit(recordOf(8, 2).constData());
    EXPECT_EQ(strip.Height, 47 + 21);
    EXPECT_EQ(strip.GetUnit(0).Top, 20);
}

TEST(FilmPanel, AppendingMovesTheSelectionAndRendersBothUnits) {
    TFilmPanel strip;
    Listener listener(strip);
    fillFive(strip);
    expectConsistent(strip);
    EXPECT_EQ(strip.FCurrentIndex, 4);
    EXPECT_EQ(strip.Height, 47 + 59 + 71 + 83 + 95 + 5 * 20);
    EXPECT_EQ(strip.Width, 140 + 40);
    EXPECT_EQ(listener.changes, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(listener.rendered, (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3, 4}));

    listener.changes.clear();
    strip.UnitClick(strip.GetUnit(4));
    EXPECT_TRUE(listener.changes.empty()) << "clicking the current unit changes nothing";
    strip.UnitClick(strip.GetUnit(1));
    EXPECT_EQ(listener.changes, std::vector<int>{1});
    expectConsistent(strip);
}

TEST(FilmPanel, DeletingInTheMiddleMovesLaterUnitsUp) {
    TFilmPanel strip;
    fillFive(strip);
    strip.UnitClick(strip.GetUnit(2));
    const int oldHeight = strip.Height;
    TAnsiImage* follower = &strip.GetUnit(3);
    const int followerTop = follower->Top;
    Listener listener(strip);
    strip.DeleteUnit(2);
    EXPECT_EQ(strip.FCount, 4);
    EXPECT_EQ(strip.FCurrentIndex, 2);
    EXPECT_EQ(&strip.GetUnit(2), follower);
    EXPECT_EQ(follower->Top, followerTop - (71 + 20));
    EXPECT_EQ(strip.Height, oldHeight - (71 + 20));
    EXPECT_EQ(listener.changes, std::vector<int>{2});
    expectConsistent(strip);

    strip.DeleteUnit(3); // the last one: the new last becomes current
    EXPECT_EQ(strip.FCurrentIndex, 2);
    strip.DeleteUnit(7); // an empty slot
    strip.DeleteUnit(-1);
    EXPECT_EQ(strip.FCount, 3);
    expectConsistent(strip);
    EXPECT_EQ(strip.Width, 128 + 40);
}

TEST(FilmPanel, ClearUnitsLeavesTheEmptyStrip) {
    TFilmPanel strip;
    fillFive(strip);
    strip.UnitClick(strip.GetUnit(0));
    Listener listener(strip);
    strip.ClearUnits();
    EXPECT_EQ(strip.FCount, 0);
    EXPECT_EQ(strip.FCurrentIndex, -1);
    EXPECT_EQ(strip.Height, 1);
    EXPECT_EQ(strip.Width, 40);
    EXPECT_EQ(listener.changes, (std::vector<int>{0, 0, 0, 0}));
    expectConsistent(strip);
}

TEST(FilmPanel, MoveUnitSwapsNeighboursAndBackAgain) {
    TFilmPanel strip;
    fillFive(strip);
    std::vector<TAnsiImage*> before;
    std::vector<int> tops;
    for (int k = 0; k < 5; ++k) {
        before.push_back(&strip.GetUnit(k));
        tops.push_back(strip.GetUnit(k).Top);
    }
    EXPECT_FALSE(strip.MoveUnit(0, true));
    EXPECT_FALSE(strip.MoveUnit(4, false));

    ASSERT_TRUE(strip.MoveUnit(3, true));
    EXPECT_EQ(&strip.GetUnit(2), before[3]);
    EXPECT_EQ(&strip.GetUnit(3), before[2]);
    EXPECT_EQ(strip.GetUnit(2).Top, tops[2]);
    EXPECT_EQ(strip.GetUnit(3).Top, tops[2] + 83 + 20);
    EXPECT_EQ(strip.GetUnit(3).Tag, 3);
    EXPECT_EQ(strip.FCurrentIndex, 4);
    EXPECT_TRUE(before[4]->FSelected);

    ASSERT_TRUE(strip.MoveUnit(2, false));
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(&strip.GetUnit(k), before[k]);
        EXPECT_EQ(strip.GetUnit(k).Top, tops[k]);
    }
    expectConsistent(strip);

    TFilmPanel one;
    one.AddRecordUnit(recordOf(8, 2).constData());
    EXPECT_FALSE(one.MoveUnit(0, true));
    EXPECT_FALSE(one.MoveUnit(0, false));
}

TEST(FilmPanel, NewUnitsTakeTheStripsDefaults) {
    TFilmPanel strip;
    strip.FDefaultFontColor = 0x0000FF;
    strip.FDefaultBackColor = 0x00FF00;
    strip.SetByteMode(2);
    strip.SetPageColor(0x808080);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ab\n");
    file.close();
    strip.AddTextUnit(path);
    const TAnsiImage& unit = strip.GetUnit(0);
    EXPECT_EQ(unit.FByteMode, bmDoubleByte);
    EXPECT_EQ(unit.FFontColor, 0x0000FF);
    EXPECT_EQ(unit.FBackColor, 0x00FF00);
    EXPECT_EQ(unit.cell(5, 5).BackColor, 0x00FF00);
    EXPECT_EQ(unit.FPageColor, 0x808080);
    EXPECT_EQ(unit.FFileName, path);

    Listener listener(strip);
    strip.AddRecordUnit(recordOf(8, 2).constData());
    strip.SetPageColor(0x111111);
    EXPECT_EQ(strip.GetUnit(0).FPageColor, 0x111111);
    EXPECT_EQ(strip.GetUnit(1).FPageColor, 0x111111);
    EXPECT_EQ(listener.rendered, (std::vector<int>{0, 1, 0, 1}));
}

TEST(FilmPanel, UnreadableTextLeavesTheStripAsItWas) {
    TFilmPanel strip;
    fillFive(strip);
    strip.UnitClick(strip.GetUnit(1));
    const int height = strip.Height;
    const int width = strip.Width;
    Listener listener(strip);
    EXPECT_THROW(strip.AddTextUnit(QStringLiteral("/nonexistent/page.txt")), FileError);
    EXPECT_EQ(strip.FCount, 5);
    EXPECT_EQ(strip.Height, height);
    EXPECT_EQ(strip.Width, width);
    EXPECT_EQ(strip.FCurrentIndex, 1);
    EXPECT_TRUE(listener.changes.empty());
    expectConsistent(strip);
}

TEST(FilmPanel, ByteModeListAndPlayIndex) {
    TFilmPanel strip;
    const std::pair<int, std::uint8_t> mapping[] = {{1, bmSingleByte}, {2, bmDoubleByte}, {0, bmAuto}};
    for (const auto& [position, code] : mapping) {
        strip.SetByteMode(position);
        EXPECT_EQ(strip.FDefaultByteMode, code);
        EXPECT_EQ(strip.GetByteMode(), position);
    }
    strip.SetByteMode(1);
    strip.SetByteMode(3);
    strip.SetByteMode(-1);
    EXPECT_EQ(strip.FDefaultByteMode, bmSingleByte);

    fillFive(strip);
    strip.SetPlayIndex(4);
    EXPECT_EQ(strip.FPlayIndex, 4);
    strip.SetPlayIndex(5);
    EXPECT_EQ(strip.FPlayIndex, 0);
    strip.SetPlayIndex(-3);
    EXPECT_EQ(strip.FPlayIndex, 0);
}

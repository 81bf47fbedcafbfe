#include "fileerror.h"
#include "filmpanel.h"
#include "unitpictures.h"

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
    unit.editCell(rows - 1, cols - 1).Chars[1] = static_cast<std::uint8_t>(mark);
    return QByteArray(reinterpret_cast<const char*>(unit.grid().data()), kRecordSize);
}

// Records what the strip tells its owner, and what the strip looked like at that moment.
struct Listener {
    explicit Listener(TFilmPanel& strip) {
        QObject::connect(&strip, &TFilmPanel::unitChanged, [this, &strip] { changes.push_back(strip.currentIndex()); });
        QObject::connect(&strip, &TFilmPanel::unitContentChanged, [this](int index) { rendered.push_back(index); });
    }
    std::vector<int> changes;
    std::vector<int> rendered;
};

void expectConsistent(const TFilmPanel& strip) {
    int top = 20;
    int selected = 0;
    for (int k = 0; k < TFilmPanel::kMaxUnits; ++k) {
        if (k >= strip.count()) break;
        const TAnsiImage& unit = strip.GetUnit(k);
        EXPECT_EQ(unit.tag(), k);
        EXPECT_EQ(unit.top(), top) << k;
        EXPECT_EQ(unit.left(), 20);
        top += unit.height() + 20;
        selected += unit.selected() ? 1 : 0;
        EXPECT_EQ(unit.selected(), k == strip.currentIndex());
    }
    EXPECT_EQ(selected, strip.count() > 0 ? 1 : 0);
    if (strip.count() == 0) {
        EXPECT_EQ(strip.currentIndex(), -1);
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
    strip.SetPageColor(0x123456);
    Listener listener(strip);
    strip.AddRecordUnit(recordOf(10, 3).constData());
    const TAnsiImage& unit = strip.GetUnit(0);
    EXPECT_EQ(unit.left(), 20);
    EXPECT_EQ(unit.top(), 20);
    EXPECT_EQ(unit.width(), 6 * 10 + 44);
    EXPECT_EQ(unit.height(), 12 * 3 + 23);
    EXPECT_EQ(unit.pageColor(), 0x123456);
    EXPECT_EQ(strip.width(), unit.width() + 40);
    EXPECT_EQ(strip.height(), unit.height() + 20);
    EXPECT_EQ(strip.currentIndex(), 0);
    EXPECT_TRUE(unit.selected());
    UnitPictures pictures;
    EXPECT_EQ(pictures.picture(unit).size(), QSize(unit.width(), unit.height()));
    EXPECT_EQ(listener.changes, std::vector<int>{0});

    strip.DeleteUnit(0);
    EXPECT_EQ(strip.count(), 0);
    EXPECT_EQ(strip.currentIndex(), -1);
    EXPECT_EQ(strip.height(), 1);
    EXPECT_EQ(strip.width(), 40);
    EXPECT_EQ(listener.changes.size(), 1u) << "emptying the strip sends no notification";

    strip.AddRecordUnit(recordOf(8, 2).constData());
    EXPECT_EQ(strip.height(), 47 + 21);
    EXPECT_EQ(strip.GetUnit(0).top(), 20);
}

TEST(FilmPanel, AppendingMovesTheSelectionAndRendersBothUnits) {
    TFilmPanel strip;
    Listener listener(strip);
    fillFive(strip);
    expectConsistent(strip);
    EXPECT_EQ(strip.currentIndex(), 4);
    EXPECT_EQ(strip.height(), 47 + 59 + 71 + 83 + 95 + 5 * 20);
    EXPECT_EQ(strip.width(), 140 + 40);
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
    const int oldHeight = strip.height();
    const TAnsiImage* follower = &strip.GetUnit(3);
    const int followerTop = follower->top();
    Listener listener(strip);
    strip.DeleteUnit(2);
    EXPECT_EQ(strip.count(), 4);
    EXPECT_EQ(strip.currentIndex(), 2);
    EXPECT_EQ(&strip.GetUnit(2), follower);
    EXPECT_EQ(follower->top(), followerTop - (71 + 20));
    EXPECT_EQ(strip.height(), oldHeight - (71 + 20));
    EXPECT_EQ(listener.changes, std::vector<int>{2});
    expectConsistent(strip);

    strip.DeleteUnit(3); // the last one: the new last becomes current
    EXPECT_EQ(strip.currentIndex(), 2);
    strip.DeleteUnit(7); // an empty slot
    strip.DeleteUnit(-1);
    EXPECT_EQ(strip.count(), 3);
    expectConsistent(strip);
    EXPECT_EQ(strip.width(), 128 + 40);
}

TEST(FilmPanel, ClearUnitsLeavesTheEmptyStrip) {
    TFilmPanel strip;
    fillFive(strip);
    strip.UnitClick(strip.GetUnit(0));
    Listener listener(strip);
    strip.ClearUnits();
    EXPECT_EQ(strip.count(), 0);
    EXPECT_EQ(strip.currentIndex(), -1);
    EXPECT_EQ(strip.height(), 1);
    EXPECT_EQ(strip.width(), 40);
    EXPECT_EQ(listener.changes, (std::vector<int>{0, 0, 0, 0}));
    expectConsistent(strip);
}

TEST(FilmPanel, MoveUnitSwapsNeighboursAndBackAgain) {
    TFilmPanel strip;
    fillFive(strip);
    std::vector<const TAnsiImage*> before;
    std::vector<int> tops;
    for (int k = 0; k < 5; ++k) {
        before.push_back(&strip.GetUnit(k));
        tops.push_back(strip.GetUnit(k).top());
    }
    EXPECT_FALSE(strip.MoveUnit(0, true));
    EXPECT_FALSE(strip.MoveUnit(4, false));

    ASSERT_TRUE(strip.MoveUnit(3, true));
    EXPECT_EQ(&strip.GetUnit(2), before[3]);
    EXPECT_EQ(&strip.GetUnit(3), before[2]);
    EXPECT_EQ(strip.GetUnit(2).top(), tops[2]);
    EXPECT_EQ(strip.GetUnit(3).top(), tops[2] + 83 + 20);
    EXPECT_EQ(strip.GetUnit(3).tag(), 3);
    EXPECT_EQ(strip.currentIndex(), 4);
    EXPECT_TRUE(before[4]->selected());

    ASSERT_TRUE(strip.MoveUnit(2, false));
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(&strip.GetUnit(k), before[k]);
        EXPECT_EQ(strip.GetUnit(k).top(), tops[k]);
    }
    expectConsistent(strip);

    TFilmPanel one;
    one.AddRecordUnit(recordOf(8, 2).constData());
    EXPECT_FALSE(one.MoveUnit(0, true));
    EXPECT_FALSE(one.MoveUnit(0, false));
}

TEST(FilmPanel, NewUnitsTakeTheStripsDefaults) {
    TFilmPanel strip;
    strip.SetDefaultColors(0x00FF00, 0x0000FF);
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
    EXPECT_EQ(unit.byteMode(), bmDoubleByte);
    EXPECT_EQ(unit.fontColor(), 0x0000FF);
    EXPECT_EQ(unit.backColor(), 0x00FF00);
    EXPECT_EQ(unit.cell(5, 5).BackColor, 0x00FF00);
    EXPECT_EQ(unit.pageColor(), 0x808080);
    EXPECT_EQ(unit.fileName(), path);

    Listener listener(strip);
    strip.AddRecordUnit(recordOf(8, 2).constData());
    strip.SetPageColor(0x111111);
    EXPECT_EQ(strip.GetUnit(0).pageColor(), 0x111111);
    EXPECT_EQ(strip.GetUnit(1).pageColor(), 0x111111);
    EXPECT_EQ(listener.rendered, (std::vector<int>{0, 1, 0, 1}));
}

TEST(FilmPanel, UnreadableTextLeavesTheStripAsItWas) {
    TFilmPanel strip;
    fillFive(strip);
    strip.UnitClick(strip.GetUnit(1));
    const int height = strip.height();
    const int width = strip.width();
    Listener listener(strip);
    EXPECT_THROW(strip.AddTextUnit(QStringLiteral("/nonexistent/page.txt")), FileError);
    EXPECT_EQ(strip.count(), 5);
    EXPECT_EQ(strip.height(), height);
    EXPECT_EQ(strip.width(), width);
    EXPECT_EQ(strip.currentIndex(), 1);
    EXPECT_TRUE(listener.changes.empty());
    expectConsistent(strip);
}

TEST(FilmPanel, ByteModeList) {
    TFilmPanel strip;
    const std::pair<int, std::uint8_t> mapping[] = {{1, bmSingleByte}, {2, bmDoubleByte}, {0, bmAuto}};
    for (const auto& [position, code] : mapping) {
        strip.SetByteMode(position);
        EXPECT_EQ(strip.defaultByteMode(), code);
        EXPECT_EQ(strip.GetByteMode(), position);
    }
    strip.SetByteMode(1);
    strip.SetByteMode(3);
    strip.SetByteMode(-1);
    EXPECT_EQ(strip.defaultByteMode(), bmSingleByte);
}

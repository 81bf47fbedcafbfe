// What each operation of the film strip tells its owner, and that the layout it leaves is the strip's
// own: every unit at its place, 20 pixels apart, the strip as wide as its widest unit plus margins.
// Reading that fails (a text page, a colour file, an animation file) leaves the strip as it was.
#include "animationfile.h"
#include "fileerror.h"
#include "filmpanel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

using namespace quillet;

namespace {

// A record whose extent is cols x rows cells (at least 8 x 2).
QByteArray recordOf(int cols, int rows) {
    TAnsiImage unit;
    unit.SetBackColor(0xFFFFFF);
    unit.Clear();
    unit.editCell(rows - 1, cols - 1).Chars[1] = 'x';
    return unit.SaveToRecord();
}

// Writes of the letter `letter` into the cells at the given grid indexes.
std::vector<TFilmPanel::CellWrite> writesAt(std::initializer_list<int> indexes, char letter = 'w') {
    std::vector<TFilmPanel::CellWrite> writes;
    for (int index : indexes)
        writes.push_back({index, TAnsiCell{{0x20, static_cast<std::uint8_t>(letter)}, {0, 0}, 0x0000FF, 0xFFFFFF}});
    return writes;
}

std::unique_ptr<TAnsiImage> recordUnit(const TFilmPanel& strip, int cols, int rows) {
    std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
    unit->LoadFromRecord(recordOf(cols, rows).constData());
    return unit;
}

// Every signal of the strip, as text, in the order sent.
struct Recorder {
    explicit Recorder(TFilmPanel& strip) {
        auto add = [this](const QString& event) { events << event; };
        QObject::connect(&strip, &TFilmPanel::unitsInserted,
                         [add](int first, int count) { add(QStringLiteral("inserted %1 %2").arg(first).arg(count)); });
        QObject::connect(&strip, &TFilmPanel::unitsRemoved,
                         [add](int first, int count) { add(QStringLiteral("removed %1 %2").arg(first).arg(count)); });
        QObject::connect(&strip, &TFilmPanel::unitMoved,
                         [add](int from, int to) { add(QStringLiteral("moved %1 %2").arg(from).arg(to)); });
        QObject::connect(&strip, &TFilmPanel::unitContentChanged, [add](int index, const QRect& cells) {
            add(cells.isEmpty() ? QStringLiteral("frame %1").arg(index)
                                : QStringLiteral("cells %1 %2x%3+%4+%5")
                                      .arg(index)
                                      .arg(cells.width())
                                      .arg(cells.height())
                                      .arg(cells.x())
                                      .arg(cells.y()));
        });
        QObject::connect(&strip, &TFilmPanel::unitChanged,
                         [add, &strip] { add(QStringLiteral("current %1").arg(strip.currentIndex())); });
        QObject::connect(&strip, &TFilmPanel::layoutChanged, [add] { add(QStringLiteral("layout")); });
    }
    QStringList events;
};

// The places the strip must have given its units, and its own size.
void expectLayout(const TFilmPanel& strip) {
    int top = 20;
    int widest = 0;
    int selected = 0;
    for (int k = 0; k < strip.count(); ++k) {
        const TAnsiImage& unit = strip.GetUnit(k);
        EXPECT_EQ(unit.geometry(), QRect(20, top, unit.width(), unit.height())) << k;
        EXPECT_EQ(unit.tag(), k);
        EXPECT_EQ(unit.selected(), k == strip.currentIndex()) << k;
        selected += unit.selected() ? 1 : 0;
        top += unit.height() + 20;
        widest = std::max(widest, unit.width());
    }
    EXPECT_EQ(selected, strip.count() > 0 ? 1 : 0);
    EXPECT_EQ(strip.width(), widest + 40);
    // A strip that was emptied keeps the 1 pixel of its empty height under the units added again.
    const int units = top - 20;
    if (strip.count() == 0)
        EXPECT_EQ(strip.height(), 1);
    else
        EXPECT_TRUE(strip.height() == units || strip.height() == units + 1) << strip.height() << " for " << units;
}

struct Operation {
    const char* name;
    std::function<void(TFilmPanel&, const QTemporaryDir&)> run;
    QStringList events;
};

// Runs each operation on a fresh strip of five units of different sizes, the third current, and
// checks what it sent and the layout it left.
void expectEvents(const std::vector<Operation>& operations, const QTemporaryDir& dir) {
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        TFilmPanel strip;
        for (int k = 0; k < 5; ++k)
            strip.AddRecordUnit(recordOf(8 + 2 * k, 2 + k).constData());
        strip.UnitClick(strip.GetUnit(2));
        Recorder recorder(strip);
        op.run(strip, dir);
        EXPECT_EQ(recorder.events, op.events);
        expectLayout(strip);
    }
}

} // namespace

// Five units of widths 92 .. 140 and heights 47 .. 95; the third is current.
TEST(StripOperations, EachOperationSendsWhatItChangedAndKeepsTheLayout) {
    const std::vector<Operation> operations = {
        {"AddRecordUnit",
         [](TFilmPanel& s, const QTemporaryDir&) { s.AddRecordUnit(recordOf(30, 4).constData()); },
         {"inserted 5 1", "layout", "frame 2", "frame 5", "current 5"}},
        {"AddTextUnit",
         [](TFilmPanel& s, const QTemporaryDir& dir) { s.AddTextUnit(dir.filePath(QStringLiteral("page.txt"))); },
         {"inserted 5 1", "layout", "frame 2", "frame 5", "current 5"}},
        {"AppendUnits",
         [](TFilmPanel& s, const QTemporaryDir&) {
             std::vector<std::unique_ptr<TAnsiImage>> units;
             units.push_back(recordUnit(s, 8, 2));
             units.push_back(recordUnit(s, 9, 3));
             s.AppendUnits(std::move(units));
         },
         {"inserted 5 1", "layout", "frame 2", "frame 5", "current 5", "inserted 6 1", "layout", "frame 5", "frame 6",
          "current 6"}},
        {"DeleteUnit current",
         [](TFilmPanel& s, const QTemporaryDir&) { s.DeleteUnit(2); },
         {"removed 2 1", "frame 2", "current 2", "layout"}},
        {"DeleteUnit empty slot", [](TFilmPanel& s, const QTemporaryDir&) { s.DeleteUnit(7); }, {}},
        {"ClearUnits",
         [](TFilmPanel& s, const QTemporaryDir&) { s.ClearUnits(); },
         {"removed 4 1", "current 2", "layout", "removed 3 1", "current 2", "layout", "removed 2 1", "frame 1",
          "current 1", "layout", "removed 1 1", "frame 0", "current 0", "layout", "removed 0 1", "layout"}},
        {"ReplaceUnits",
         [](TFilmPanel& s, const QTemporaryDir&) {
             std::vector<std::unique_ptr<TAnsiImage>> units;
             units.push_back(recordUnit(s, 12, 6));
             s.ReplaceUnits(std::move(units));
         },
         {"removed 4 1", "current 2", "layout",       "removed 3 1", "current 2", "layout",    "removed 2 1",
          "frame 1",     "current 1", "layout",       "removed 1 1", "frame 0",   "current 0", "layout",
          "removed 0 1", "layout",    "inserted 0 1", "layout",      "frame 0",   "current 0"}},
        {"MoveUnit up", [](TFilmPanel& s, const QTemporaryDir&) { s.MoveUnit(4, true); }, {"moved 4 3", "layout"}},
        {"MoveUnit down", [](TFilmPanel& s, const QTemporaryDir&) { s.MoveUnit(0, false); }, {"moved 0 1", "layout"}},
        {"MoveUnit past the top", [](TFilmPanel& s, const QTemporaryDir&) { s.MoveUnit(0, true); }, {}},
        {"SelectUnit current", [](TFilmPanel& s, const QTemporaryDir&) { s.SelectUnit(2); }, {"current 2"}},
        {"SelectUnit outside", [](TFilmPanel& s, const QTemporaryDir&) { s.SelectUnit(-1); }, {}},
        {"UnitClick other",
         [](TFilmPanel& s, const QTemporaryDir&) { s.UnitClick(s.GetUnit(4)); },
         {"frame 2", "frame 4", "current 4"}},
        {"UnitClick current", [](TFilmPanel& s, const QTemporaryDir&) { s.UnitClick(s.GetUnit(2)); }, {}},
        {"SetUnitContent taller",
         [](TFilmPanel& s, const QTemporaryDir&) {
             s.SetUnitContent(1, {"a", "b", "c", "d", "e", "f", "g"}, 0x0000FF, 0x00FF00);
         },
         {"cells 1 10x7+0+0", "layout"}},
        {"SetUnitContent same size",
         [](TFilmPanel& s, const QTemporaryDir&) { s.SetUnitContent(4, {"a"}, 0x0000FF, 0x00FF00); },
         {"cells 4 16x6+0+0", "layout"}},
        {"EditCells within the extent",
         [](TFilmPanel& s, const QTemporaryDir&) {
             s.EditCells(3, writesAt({1 * kGridCols + 2, 9, -1, kGridCells}), 14, 5);
         },
         {"cells 3 8x2+2+0"}},
        {"EditCells beyond the extent, which grows",
         [](TFilmPanel& s, const QTemporaryDir&) { s.EditCells(1, writesAt({8 * kGridCols + 40}), 41, 9); },
         {"cells 1 41x9+0+0", "layout"}},
        {"EditCells with a narrower extent",
         [](TFilmPanel& s, const QTemporaryDir&) { s.EditCells(4, writesAt({5 * kGridCols + 1}), 4, 6); },
         {"cells 4 16x6+0+0", "layout"}},
        {"EditCells outside the grid only",
         [](TFilmPanel& s, const QTemporaryDir&) {
             s.EditCells(2, writesAt({-5, kGridCells + 1}), 12, 4);
         },
         {}},
        {"SetPageColor",
         [](TFilmPanel& s, const QTemporaryDir&) { s.SetPageColor(0x123456); },
         {"frame 0", "frame 1", "frame 2", "frame 3", "frame 4"}},
        {"SetByteMode", [](TFilmPanel& s, const QTemporaryDir&) { s.SetByteMode(2); }, {}},
        {"SetDefaultColors", [](TFilmPanel& s, const QTemporaryDir&) { s.SetDefaultColors(1, 2); }, {}},
        {"SetDocFileName", [](TFilmPanel& s, const QTemporaryDir&) { s.SetDocFileName(QStringLiteral("a.mmt")); }, {}},
    };
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("page.txt")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("one\r\ntwo\r\n");
    page.close();

    expectEvents(operations, dir);
}

TEST(StripOperations, SetUnitContentMovesTheLaterUnitsByTheChangeInHeight) {
    TFilmPanel strip;
    for (int k = 0; k < 3; ++k)
        strip.AddRecordUnit(recordOf(10, 3).constData());
    const int top2 = strip.GetUnit(2).top();
    const int height = strip.height();
    strip.SetUnitContent(1, {"a", "b", "c", "d", "e"}, 0x0000FF, 0x00FF00);
    const TAnsiImage& unit = strip.GetUnit(1);
    EXPECT_EQ(unit.rows(), 5);
    EXPECT_EQ(unit.backColor(), 0x0000FF);
    EXPECT_EQ(unit.fontColor(), 0x00FF00);
    EXPECT_EQ(unit.cell(4, 0).Chars[1], 'e');
    EXPECT_EQ(strip.GetUnit(2).top(), top2 + 24);
    EXPECT_EQ(strip.height(), height + 24);
    EXPECT_EQ(strip.currentIndex(), 2) << "content changes leave the current unit";
}

// A cell edit is one change of its unit; one that grows the extent also resizes the unit and moves
// the units after it.
TEST(StripOperations, EditCellsIsOneChangeOfItsUnit) {
    TFilmPanel strip;
    for (int k = 0; k < 3; ++k)
        strip.AddRecordUnit(recordOf(10, 3).constData());
    std::vector<std::uint64_t> revisions;
    for (int k = 0; k < 3; ++k)
        revisions.push_back(strip.GetUnit(k).revision());
    const TAnsiImage& unit = strip.GetUnit(1);
    const QRect place = unit.geometry();

    std::vector<TFilmPanel::CellWrite> writes = writesAt({2 * kGridCols + 4, kGridCells, 0}, 'a');
    writes.push_back(writesAt({2 * kGridCols + 4}, 'b').front());
    strip.EditCells(1, writes, 10, 3);
    EXPECT_EQ(unit.revision(), revisions[1] + 1);
    EXPECT_EQ(strip.GetUnit(0).revision(), revisions[0]);
    EXPECT_EQ(strip.GetUnit(2).revision(), revisions[2]);
    EXPECT_EQ(unit.cell(2, 4).Chars[1], 'b') << "the later write wins";
    EXPECT_EQ(unit.cell(2, 4).FontColor, 0x0000FF);
    EXPECT_EQ(unit.cell(0, 0).Chars[1], 'a');
    EXPECT_EQ(unit.geometry(), place);

    const int top2 = strip.GetUnit(2).top();
    strip.EditCells(1, writesAt({4 * kGridCols + 11}), 12, 5);
    EXPECT_EQ(unit.cell(4, 11).Chars[1], 'w');
    EXPECT_EQ(QSize(unit.cols(), unit.rows()), QSize(12, 5));
    EXPECT_EQ(unit.geometry(), QRect(place.topLeft(), QSize(12 * (unit.IsDoubleByte() ? 12 : 6) + 44, 5 * 12 + 23)));
    EXPECT_EQ(strip.GetUnit(2).top(), top2 + 24);

    strip.EditCells(1, {}, 500, -3);
    EXPECT_EQ(QSize(unit.cols(), unit.rows()), QSize(kGridCols, 0)) << "cut to the grid";
}

namespace {

// Everything of the strip that an operation could change.
using Snapshot =
    std::tuple<int, int, int, int, QString, std::vector<std::tuple<std::uint64_t, std::uint64_t, QRect, int>>>;

Snapshot snapshotOf(const TFilmPanel& strip) {
    std::vector<std::tuple<std::uint64_t, std::uint64_t, QRect, int>> units;
    for (int k = 0; k < strip.count(); ++k) {
        const TAnsiImage& u = strip.GetUnit(k);
        units.emplace_back(u.id(), u.revision(), u.geometry(), u.tag());
    }
    return {strip.count(), strip.currentIndex(), strip.width(), strip.height(), strip.docFileName(), units};
}

} // namespace

TEST(StripOperations, FailedReadingLeavesTheStripExactlyAsItWas) {
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QString refusedColour = write(QStringLiteral("coloured.txt"), "text\r\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("coloured.clo"))); // a folder is no colour file
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    const QString shortFile = write(QStringLiteral("short.mmt"), QByteArray(1000, 'x'));

    const std::vector<std::pair<const char*, std::function<void(TFilmPanel&)>>> failures = {
        {"missing text page", [&](TFilmPanel& s) { s.AddTextUnit(dir.filePath(QStringLiteral("none.txt"))); }},
        {"text page is a folder", [&](TFilmPanel& s) { s.AddTextUnit(dir.filePath(QStringLiteral("folder.txt"))); }},
        {"colour file is a folder", [&](TFilmPanel& s) { s.AddTextUnit(refusedColour); }},
        {"animation file too short",
         [&](TFilmPanel& s) { s.ReplaceUnits(MakeRecordUnits(s, ReadAnimationFile(shortFile, 50), 50)); }},
        {"missing animation file",
         [&](TFilmPanel& s) { AppendRecords(s, ReadAnimationFile(dir.filePath(QStringLiteral("none.mmt")), 50)); }},
    };
    for (const auto& [name, fail] : failures) {
        SCOPED_TRACE(name);
        TFilmPanel strip;
        for (int k = 0; k < 4; ++k)
            strip.AddRecordUnit(recordOf(8 + k, 2 + k).constData());
        strip.UnitClick(strip.GetUnit(1));
        strip.SetDocFileName(QStringLiteral("doc.mmt"));
        const Snapshot before = snapshotOf(strip);
        Recorder recorder(strip);
        EXPECT_THROW(fail(strip), FileError);
        EXPECT_EQ(snapshotOf(strip), before);
        EXPECT_TRUE(recorder.events.isEmpty()) << recorder.events.join(QStringLiteral(", ")).toStdString();
    }
}

TEST(StripOperations, ARefusedColourFileLeavesTheImportingUnitAsItWas) {
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("page.txt")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("\xD6\xD0 text\r\n");
    page.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("page.clo")));
    TFilmPanel strip;
    const std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
    const std::uint64_t revision = unit->revision();
    EXPECT_THROW(unit->LoadFromTextFile(page.fileName()), FileError);
    EXPECT_EQ(unit->revision(), revision);
    EXPECT_EQ(unit->byteMode(), bmAuto);
    EXPECT_TRUE(unit->fileName().isEmpty());
}

// The operations the undo history is built on: each is one step with one announcement of what
// moved, then the current unit, and leaves the strip's own layout.
TEST(StripOperations, UndoOperationsSendWhatTheyChangedInOneStep) {
    const std::vector<Operation> operations = {
        {"InsertUnits in the middle",
         [](TFilmPanel& s, const QTemporaryDir&) {
             std::vector<std::unique_ptr<TAnsiImage>> units;
             units.push_back(recordUnit(s, 8, 2));
             units.push_back(recordUnit(s, 9, 3));
             EXPECT_EQ(s.InsertUnits(1, std::move(units)), 2);
         },
         {"inserted 1 2", "layout", "frame 4", "frame 2", "current 2"}},
        {"InsertUnits past the limit",
         [](TFilmPanel& s, const QTemporaryDir&) {
             std::vector<std::unique_ptr<TAnsiImage>> units;
             for (int k = 0; k < 46; ++k)
                 units.push_back(recordUnit(s, 8, 2));
             EXPECT_EQ(s.InsertUnits(5, std::move(units)), 45);
         },
         {"inserted 5 45", "layout", "frame 2", "frame 49", "current 49"}},
        {"TakeUnits with the current one",
         [](TFilmPanel& s, const QTemporaryDir&) { EXPECT_EQ(s.TakeUnits(1, 3).size(), 2u + 1u); },
         {"removed 1 3", "frame 1", "current 1", "layout"}},
        {"TakeUnits before the current one",
         [](TFilmPanel& s, const QTemporaryDir&) { s.TakeUnits(0, 1); },
         {"removed 0 1", "frame 1", "frame 0", "current 0", "layout"}},
        {"TakeUnits at the end",
         [](TFilmPanel& s, const QTemporaryDir&) { s.TakeUnits(3, 2); },
         {"removed 3 2", "current 2", "layout"}},
        {"TakeUnits of all",
         [](TFilmPanel& s, const QTemporaryDir&) { s.TakeUnits(0, 5); },
         {"removed 0 5", "current -1", "layout"}},
        {"RestoreUnitContent",
         [](TFilmPanel& s, const QTemporaryDir&) {
             UnitContent content = recordUnit(s, 30, 9)->content();
             s.RestoreUnitContent(1, content);
         },
         {"cells 1 30x9+0+0", "layout"}},
        {"SetCurrentUnit other",
         [](TFilmPanel& s, const QTemporaryDir&) { s.SetCurrentUnit(4); },
         {"frame 2", "frame 4", "current 4"}},
        {"SetCurrentUnit current", [](TFilmPanel& s, const QTemporaryDir&) { s.SetCurrentUnit(2); }, {"current 2"}},
    };
    expectEvents(operations, QTemporaryDir());
}

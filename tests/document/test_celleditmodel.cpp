// Typing and drawing into a unit through the cell editor's model, in both byte modes: placement
// of GBK characters, the cursor, insert and overwrite, the tools, the clipboard of cells, the undo
// steps they make, and a seeded run of random edits that must never leave half a character.
#include "cellclipboard.h"
#include "celleditmodel.h"
#include "celledits.h"
#include "filmpanel.h"
#include "undohistory.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace quillet;

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

// One unit of `cols` x `rows` blank cells in the byte mode, current, with a history and a model.
struct Editing {
    TFilmPanel strip;
    UndoHistory history{strip};
    CellEditModel model{strip, history};
    std::int64_t now = 0;

    Editing(bool doubleByte, int cols = 20, int rows = 5) {
        history.setClock([this] { return now; });
        std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
        unit->setByteMode(doubleByte ? bmDoubleByte : bmSingleByte);
        unit->setExtent(cols, rows);
        unit->FitSize();
        std::vector<std::unique_ptr<TAnsiImage>> units;
        units.push_back(std::move(unit));
        strip.AppendUnits(std::move(units));
        model.setTextColor(kRed);
        model.setBackColor(kBlue);
    }
    const TAnsiImage& unit() const { return strip.GetUnit(0); }
    // The row's text as the grid holds it, over the whole row the byte mode allows.
    QString row(int r) const {
        QByteArray bytes;
        const int cols = unit().IsDoubleByte() ? kGridCols / 2 : kGridCols;
        for (int c = 0; c < cols; ++c)
            bytes += unit().CellText(r, c);
        while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == 0))
            bytes.chop(1);
        return QStringDecoder("GBK").decode(bytes);
    }
    int steps() { return history.stack()->count(); }
};

CellCursor at(int row, int col, int half = 0) {
    return CellCursor{row, col, half};
}

// A lead byte without its second byte where the row's rules would look for it.
bool hasLoneLeadByte(const TAnsiImage& unit) {
    for (int r = 0; r < kGridRows; ++r) {
        if (unit.IsDoubleByte()) {
            for (int c = 0; c < kGridCols / 2; ++c) {
                const TAnsiCell& cell = unit.cell(r, c);
                if (!IsLeadByte(cell.Chars[0]) && IsLeadByte(cell.Chars[1])) return true;
                if (IsLeadByte(cell.Chars[0]) && (cell.Chars[1] < 0x40 || cell.Chars[1] == 0x7F)) return true;
            }
            continue;
        }
        for (int c = 0; c < kGridCols; ++c) {
            if (!IsLeadByte(unit.cell(r, c).Chars[1])) continue;
            if (c + 1 >= kGridCols) return true;
            const std::uint8_t trail = unit.cell(r, c + 1).Chars[1];
            if (trail < 0x40 || trail == 0x7F) return true;
            ++c;
        }
    }
    return false;
}

TEST(CellEditModel, TypingPlacesCharactersByTheByteModesRules) {
    struct Case {
        bool doubleByte;
        CellCursor start;
        QString typed;
        QString row;
        CellCursor after;
    };
    const Case cases[] = {
        // A double-byte cell holds two single-byte characters or one Chinese one.
        {true, at(0, 0), "ab中", "ab中", at(0, 2)},
        // A Chinese character typed at a cell's second half goes to the next cell; the half gets a space.
        {true, at(0, 0), "a中b", "a 中b", at(0, 2, 1)},
        {true, at(0, 3, 1), "你好", "        你好", at(0, 6)},
        // In a single-byte unit it takes two cells from the cursor on.
        {false, at(0, 0), "a中b", "a中b", at(0, 4)},
        {false, at(0, 3), "你好", "   你好", at(0, 7)},
        // A line break goes to the start of the next row.
        {true, at(0, 4), "x\ny", "        x", at(1, 0, 1)},
        {false, at(0, 4), "x\ny", "    x", at(1, 1)},
    };
    for (const Case& c : cases) {
        Editing e(c.doubleByte);
        e.model.setCursor(c.start);
        EXPECT_TRUE(e.model.typeText(c.typed).isEmpty());
        EXPECT_EQ(e.row(0), c.row) << c.typed.toStdString() << " " << e.row(0).toStdString();
        EXPECT_EQ(e.model.cursor(), c.after) << c.typed.toStdString() << " got " << e.model.cursor().row << ","
                                             << e.model.cursor().col << "," << e.model.cursor().half;
        // The last character typed took the chosen colours.
        const int typedCol = c.after.half == 1 ? c.after.col : c.after.col - 1;
        EXPECT_EQ(e.unit().cell(c.after.row, typedCol).FontColor, kRed);
        EXPECT_EQ(e.unit().cell(c.after.row, typedCol).BackColor, kBlue);
        EXPECT_FALSE(hasLoneLeadByte(e.unit()));
    }
}

TEST(CellEditModel, OverwritingHalfACharacterBlanksTheOtherHalf) {
    struct Case {
        bool doubleByte;
        CellCursor start;
        QString typed;
        QString row;
    };
    const Case cases[] = {
        {true, at(0, 0), "x", "x 好"},   // first half of 你
        {false, at(0, 0), "x", "x 好"},  // the lead byte's cell
        {false, at(0, 1), "中", "中好"}, // the cursor never stands on a second byte: it types over 你
        {false, at(0, 3), "x", "你x"},   // the cursor moves off 好's second byte to its start
        {true, at(0, 0, 1), "中", "中好"},
    };
    for (const Case& c : cases) {
        Editing e(c.doubleByte);
        e.model.typeText("你好");
        e.model.setCursor(c.start);
        e.model.typeText(c.typed);
        EXPECT_EQ(e.row(0), c.row) << c.doubleByte << " " << c.typed.toStdString() << " " << e.row(0).toStdString();
        EXPECT_FALSE(hasLoneLeadByte(e.unit()));
    }
    // A Chinese character over the second half of another in a single-byte row.
    Editing e(false);
    e.model.typeText("a你好");
    e.model.setCursor(at(0, 2));
    EXPECT_EQ(e.model.cursor(), at(0, 1)); // snapped to the start of 你
    e.model.moveCursor(CursorMove::Right);
    EXPECT_EQ(e.model.cursor(), at(0, 3));
}

TEST(CellEditModel, InsertDeleteAndBackspaceMoveTheRowWithinTheExtent) {
    struct Case {
        bool doubleByte;
        bool insert;
        std::function<void(CellEditModel&)> edit;
        QString row;
    };
    auto home = [](CellEditModel& m) { m.moveCursor(CursorMove::Home); };
    const Case cases[] = {
        {false, true, [&](CellEditModel& m) { home(m); m.typeText("X"); }, "Xabc中defg"},
        {false, false, [&](CellEditModel& m) { home(m); m.typeText("X"); }, "Xbc中defgh"},
        // Moved by half a cell, a Chinese character takes the space before it rather than a new pad.
        {true, true, [&](CellEditModel& m) { home(m); m.typeText("X"); }, "Xabc中defgh"},
        {true, true, [&](CellEditModel& m) { home(m); m.typeText("好"); }, "好abc 中defg"},
        {false, false, [&](CellEditModel& m) { m.setCursor(at(0, 3)); m.deleteForward(); }, "abcdefgh"},
        {true, false, [&](CellEditModel& m) { m.setCursor(at(0, 2)); m.deleteForward(); }, "abc defgh"},
        {false, false, [&](CellEditModel& m) { m.setCursor(at(0, 5)); m.backspace(); }, "abc  defgh"},
        {false, true, [&](CellEditModel& m) { m.setCursor(at(0, 5)); m.backspace(); }, "abcdefgh"},
        {true, true, [&](CellEditModel& m) { m.setCursor(at(0, 1)); m.backspace(); }, "ac中defgh"},
    };
    for (const Case& c : cases) {
        // The extent is exactly the text: what moves past its end is dropped.
        Editing e(c.doubleByte, c.doubleByte ? 5 : 10);
        e.model.typeText("abc中defgh");
        ASSERT_EQ(e.unit().cols(), c.doubleByte ? 6 : 10);
        e.model.setInsertMode(c.insert);
        c.edit(e.model);
        EXPECT_EQ(e.row(0), c.row) << c.doubleByte << c.insert << " " << e.row(0).toStdString();
        EXPECT_FALSE(hasLoneLeadByte(e.unit()));
    }
}

TEST(CellEditModel, TypingGrowsTheExtentUpToTheGridsLimits) {
    for (const bool doubleByte : {true, false}) {
        Editing e(doubleByte, 5, 2);
        const int height = e.unit().height();
        e.model.setCursor(at(3, 7));
        e.model.typeText("x");
        EXPECT_EQ(e.unit().cols(), 8);
        EXPECT_EQ(e.unit().rows(), 4);
        EXPECT_EQ(e.unit().height(), height + 24);
        // At the grid's last cell a Chinese character still fits; the next one has no row left.
        const int last = doubleByte ? kGridCols / 2 - 1 : kGridCols - 1;
        e.model.setCursor(at(kGridRows - 1, last - 1, 1));
        e.model.typeText("中中");
        EXPECT_EQ(e.unit().cols(), last + 1);
        EXPECT_EQ(e.unit().rows(), kGridRows);
        EXPECT_FALSE(hasLoneLeadByte(e.unit()));
        e.history.stack()->undo();
        EXPECT_EQ(e.unit().cols(), 8);
        EXPECT_EQ(e.unit().rows(), 4);
    }
}

TEST(CellEditModel, TextGbkCannotHoldIsRefusedWhole) {
    Editing e(true);
    const int before = e.steps();
    EXPECT_EQ(e.model.typeText(QStringLiteral("a\u0E01b\U0001F600")), QStringLiteral("\u0E01\U0001F600"));
    EXPECT_EQ(e.model.pasteText(QStringLiteral("x\u0E01")), QStringLiteral("\u0E01"));
    EXPECT_EQ(e.row(0), QString());
    EXPECT_EQ(e.steps(), before);
}

TEST(CellEditModel, TypingRunsMergeUntilTheCursorJumpsOrASecondPasses) {
    Editing e(true);
    const int before = e.steps();
    e.model.typeText("ab");
    e.now += 400;
    e.model.typeText("你好世界"); // an input method's commit of several characters
    e.now += 400;
    e.model.backspace();
    EXPECT_EQ(e.steps(), before + 1);
    e.now += 1500;
    e.model.typeText("c");
    EXPECT_EQ(e.steps(), before + 2);
    e.model.moveCursor(CursorMove::Down);
    e.model.typeText("d");
    EXPECT_EQ(e.steps(), before + 3);
    EXPECT_EQ(e.row(0), QStringLiteral("ab你好世c"));
    e.history.stack()->undo();
    e.history.stack()->undo();
    EXPECT_EQ(e.row(0), QStringLiteral("ab你好世"));
    e.history.stack()->undo();
    EXPECT_EQ(e.row(0), QString());
    EXPECT_EQ(e.row(1), QString());
}

TEST(CellEditModel, CursorKeysStepOverWholeCharacters) {
    for (const bool doubleByte : {true, false}) {
        Editing e(doubleByte);
        e.model.typeText("a中b");
        e.model.moveCursor(CursorMove::Home);
        std::vector<int> cols;
        for (int k = 0; k < 3; ++k) {
            e.model.moveCursor(CursorMove::Right);
            cols.push_back(e.model.cursor().col * 2 + e.model.cursor().half);
        }
        EXPECT_EQ(cols, doubleByte ? std::vector<int>({1, 2, 4}) : std::vector<int>({2, 6, 8})) << doubleByte;
        e.model.moveCursor(CursorMove::Left);
        e.model.moveCursor(CursorMove::Left);
        EXPECT_EQ(e.model.cursor(), doubleByte ? at(0, 0, 1) : at(0, 1));
        e.model.moveCursor(CursorMove::End);
        EXPECT_EQ(e.model.cursor(), doubleByte ? at(0, 2, 1) : at(0, 4));
        e.model.moveCursor(CursorMove::PageDown, false, 30);
        EXPECT_EQ(e.model.cursor().row, 30);
        e.model.moveCursor(CursorMove::PageDown, false, 100);
        EXPECT_EQ(e.model.cursor().row, kGridRows - 1);
        e.model.moveCursor(CursorMove::Home);
        e.model.moveCursor(CursorMove::Up, true);
        e.model.moveCursor(CursorMove::Right, true);
        EXPECT_EQ(e.model.selection(), QRect(0, kGridRows - 2, doubleByte ? 1 : 2, 2));
        e.model.moveCursor(CursorMove::Right);
        EXPECT_TRUE(e.model.selection().isEmpty());
    }
}

TEST(CellEditModel, ToolsRecolourCellsAsOneStepAndLeaveCharactersAlone) {
    Editing e(true, 6, 3);
    e.model.typeText("ab中");
    const QString text = e.row(0);
    const int before = e.steps();
    e.model.setTextColor(0x111111);
    e.model.setBackColor(0x222222);
    e.model.beginStroke();
    for (int c = 0; c < 4; ++c)
        e.model.paintCell(1, c, CellColors::Back);
    e.model.paintCell(0, 1, CellColors::Text);
    e.model.paintCell(9, 9, CellColors::Both); // outside the extent: nothing
    e.model.endStroke();
    EXPECT_EQ(e.steps(), before + 1);
    EXPECT_EQ(e.unit().cell(1, 3).BackColor, 0x222222);
    EXPECT_NE(e.unit().cell(1, 3).FontColor, 0x111111);
    EXPECT_EQ(e.unit().cell(0, 1).FontColor, 0x111111);
    EXPECT_EQ(e.unit().cell(0, 1).BackColor, kBlue);
    EXPECT_EQ(e.row(0), text);

    // The region of row 1's four cells shares the new background; the fill stops at its edge.
    e.model.setBackColor(0x333333);
    e.model.floodFill(1, 0, CellColors::Back);
    EXPECT_EQ(e.steps(), before + 2);
    EXPECT_EQ(e.unit().cell(1, 3).BackColor, 0x333333);
    EXPECT_NE(e.unit().cell(1, 4).BackColor, 0x333333);
    EXPECT_NE(e.unit().cell(2, 0).BackColor, 0x333333);

    e.model.setTextColor(0x444444);
    e.model.fillRect(QRect(QPoint(2, 1), QPoint(5, 2)), CellColors::Both);
    EXPECT_EQ(e.steps(), before + 3);
    EXPECT_EQ(e.unit().cell(2, 5).FontColor, 0x444444);
    EXPECT_EQ(e.unit().cell(1, 2).BackColor, 0x333333);
    EXPECT_NE(e.unit().cell(0, 2).FontColor, 0x444444);

    e.model.pickColors(0, 1);
    EXPECT_EQ(e.model.textColor(), 0x111111);
    EXPECT_EQ(e.model.backColor(), kBlue);
    e.model.swapColors();
    EXPECT_EQ(e.model.textColor(), kBlue);

    for (int k = 0; k < 3; ++k)
        e.history.stack()->undo();
    EXPECT_EQ(e.unit().cell(1, 3).BackColor, e.unit().backColor());
    EXPECT_EQ(e.unit().cell(0, 1).FontColor, kRed);
}

TEST(CellEditModel, SelectionsCopyCutPasteClearAndMove) {
    for (const bool doubleByte : {true, false}) {
        Editing e(doubleByte);
        e.model.typeText("ab中d\nxy好z");
        e.model.setSelection(QRect(0, 0, doubleByte ? 3 : 5, 2));
        const QString text = e.model.selectionText();
        EXPECT_EQ(text, doubleByte ? QStringLiteral("ab中d\nxy好z") : QStringLiteral("ab中d\nxy好z"));
        const QByteArray payload = e.model.copySelection();

        // Pasted elsewhere, the same cells with their colours.
        e.model.setCursor(at(3, 4));
        ASSERT_TRUE(e.model.pasteCells(payload));
        EXPECT_EQ(e.row(3), (doubleByte ? QStringLiteral("        ") : QStringLiteral("    ")) + "ab中d");
        EXPECT_EQ(e.model.selection(), QRect(4, 3, doubleByte ? 3 : 5, 2));
        EXPECT_EQ(e.unit().cell(4, 5).FontColor, kRed);

        // A selection that cuts a character in a single-byte row copies a space for its half.
        e.model.setSelection(QRect(0, 0, 3, 1));
        EXPECT_EQ(e.model.selectionText(), doubleByte ? QStringLiteral("ab中d") : QStringLiteral("ab"));

        // Cleared in the chosen colours; moved, leaving spaces behind.
        e.model.setBackColor(0x00FF00);
        e.model.setSelection(QRect(0, 1, 1, 1));
        e.model.clearSelectionCells();
        EXPECT_EQ(e.row(1), doubleByte ? QStringLiteral("  好z") : QStringLiteral(" y好z"));
        EXPECT_EQ(e.unit().cell(1, 0).BackColor, 0x00FF00);
        e.model.setSelection(QRect(4, 3, doubleByte ? 3 : 5, 2));
        e.model.moveSelection(-4, -3);
        EXPECT_EQ(e.row(0), QStringLiteral("ab中d"));
        EXPECT_EQ(e.row(3), QString());
        EXPECT_EQ(e.model.selection(), QRect(0, 0, doubleByte ? 3 : 5, 2));
        EXPECT_FALSE(hasLoneLeadByte(e.unit()));

        // Undo takes back the move, the clear and the paste, one step each.
        for (int k = 0; k < 3; ++k)
            e.history.stack()->undo();
        EXPECT_EQ(e.row(3), QString());
        EXPECT_EQ(e.row(1), QStringLiteral("xy好z"));
    }
}

TEST(CellEditModel, PastedTextAndForeignCellsFollowTheRows) {
    for (const bool doubleByte : {true, false}) {
        Editing e(doubleByte);
        e.model.setCursor(at(1, 1));
        EXPECT_TRUE(e.model.pasteText(QStringLiteral("a中\r\nb c\n中文")).isEmpty());
        const QString lead = doubleByte ? QStringLiteral("  ") : QStringLiteral(" ");
        EXPECT_EQ(e.row(1), lead + (doubleByte ? "a 中" : "a中")) << e.row(1).toStdString();
        EXPECT_EQ(e.row(2), lead + "b c");
        EXPECT_EQ(e.row(3), lead + "中文");
        EXPECT_EQ(e.model.cursor(), at(1, 1));

        // Cells of the other byte mode bring their text; bytes that are not a payload nothing.
        Editing other(!doubleByte);
        other.model.typeText("x好");
        other.model.setSelection(QRect(0, 0, 3, 1));
        e.model.setCursor(at(5, 0));
        EXPECT_TRUE(e.model.pasteCells(other.model.copySelection()));
        EXPECT_EQ(e.row(5), QStringLiteral("x 好")) << e.row(5).toStdString(); // the pad comes as a space
        EXPECT_FALSE(e.model.pasteCells("QLTCELLS garbage"));
        EXPECT_FALSE(hasLoneLeadByte(e.unit()));
    }
}

TEST(CellClipboard, RefusesDamagedPayloads) {
    CellBlock block;
    block.cols = 2;
    block.rows = 1;
    block.doubleByte = true;
    block.cells.resize(2);
    const QByteArray good = EncodeCells(block);
    ASSERT_TRUE(DecodeCells(good));
    EXPECT_EQ(DecodeCells(good)->cols, 2);
    for (qsizetype k = 0; k < good.size(); ++k) {
        QByteArray bad = good;
        bad[k] = static_cast<char>(bad[k] ^ 0x10);
        EXPECT_FALSE(DecodeCells(bad)) << k;
        EXPECT_FALSE(DecodeCells(good.left(k))) << k;
    }
    EXPECT_FALSE(DecodeCells(good + 'x'));
}

// Random edits of every kind in both byte modes: no lone lead byte ever; each edit changes only
// cells of the rows it works on; undoing everything gives the first grid back, redoing it the
// last; and the records of the edited unit read back as the same grid.
TEST(CellEditModel, RandomEditsKeepCharactersWholeAndStayInTheirRows) {
    const QString pool = QStringLiteral("ab 1#中文字符，。你好");
    for (const bool doubleByte : {true, false}) {
        std::mt19937 rng(doubleByte ? 1301 : 1302);
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        Editing e(doubleByte, doubleByte ? 30 : 60, 8);
        const TAnsiGrid first = e.unit().grid();
        for (int step = 0; step < 600; ++step) {
            const TAnsiGrid before = e.unit().grid();
            e.model.setCursor(at(pick(10), pick(doubleByte ? 40 : 80), pick(2)));
            const int row = e.model.cursor().row;
            int firstRow = row;
            int lastRow = row + 1; // typing may wrap into the next row
            e.now += pick(1500);
            const int op = pick(8);
            switch (op) {
            case 0:
            case 1: {
                QString text;
                for (int k = pick(6); k >= 0; --k)
                    text += pool.at(pick(static_cast<int>(pool.size())));
                e.model.setInsertMode(pick(2) == 0);
                e.model.typeText(text);
                break;
            }
            case 2: e.model.backspace(); break;
            case 3: e.model.deleteForward(); break;
            case 4:
                e.model.pasteText(QStringLiteral("中a\n文字b"));
                lastRow = row + 1;
                break;
            case 5: {
                const QRect sel(pick(20), pick(8), 1 + pick(6), 1 + pick(3));
                e.model.setSelection(sel);
                const int dr = pick(5) - 2;
                e.model.moveSelection(pick(9) - 4, dr);
                firstRow = std::min(sel.top(), sel.top() + dr);
                lastRow = std::max(sel.bottom(), sel.bottom() + dr);
                break;
            }
            case 6: {
                e.model.setSelection(QRect(pick(20), row, 1 + pick(6), 1));
                e.model.copySelection();
                e.model.clearSelectionCells();
                const QByteArray payload = e.model.copySelection();
                e.model.setCursor(at(row, pick(20)));
                e.model.pasteCells(payload);
                break;
            }
            default: e.model.paintCell(row, pick(30), CellColors::Both); break;
            }
            ASSERT_FALSE(hasLoneLeadByte(e.unit())) << "step " << step;
            for (int k = 0; k < kGridCells; ++k) {
                const int r = k / kGridCols;
                if (r >= firstRow && r <= lastRow) continue;
                ASSERT_EQ(std::memcmp(&before[static_cast<std::size_t>(k)], &e.unit().grid()[static_cast<std::size_t>(k)],
                                      sizeof(TAnsiCell)),
                          0)
                    << "step " << step << " op " << op << " changed row " << r << " at " << row;
            }
        }
        const TAnsiGrid last = e.unit().grid();
        TAnsiImage reopened;
        reopened.setByteMode(e.unit().byteMode());
        reopened.LoadFromRecord(e.unit().SaveToRecord().constData());
        EXPECT_EQ(std::memcmp(reopened.grid().data(), last.data(), kRecordSize - sizeof(TAnsiCell)), 0);
        // The extent read back ends at the last row and column that hold something.
        QList<QByteArray> lines = e.unit().GetLines();
        while (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        EXPECT_EQ(reopened.GetLines(), lines);

        QUndoStack& stack = *e.history.stack();
        while (stack.canUndo())
            stack.undo();
        EXPECT_EQ(std::memcmp(e.unit().grid().data(), first.data(), kRecordSize), 0);
        while (stack.canRedo())
            stack.redo();
        EXPECT_EQ(std::memcmp(e.unit().grid().data(), last.data(), kRecordSize), 0);
    }
}

} // namespace

#pragma once

#include "ansicell.h"

#include <QByteArray>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>

namespace quillet {

class PendingCells;
class TAnsiImage;
class TFilmPanel;
class UndoHistory;
struct CellBlock;
struct RowChar;

// Where the cell cursor stands: a cell, and in a double-byte unit the half of it (0 or 1), since
// such a cell holds one Chinese character or up to two single-byte ones. In a single-byte unit
// `half` is always 0.
struct CellCursor {
    int row = 0;
    int col = 0;
    int half = 0;
    friend bool operator==(const CellCursor& a, const CellCursor& b) {
        return a.row == b.row && a.col == b.col && a.half == b.half;
    }
    friend bool operator!=(const CellCursor& a, const CellCursor& b) { return !(a == b); }
};

// Which colours of a cell a brush, a fill or a rectangle gives the chosen colours to.
enum class CellColors { Both, Text, Back };

// Where the cursor goes.
enum class CursorMove { Left, Right, Up, Down, Home, End, PageUp, PageDown, NextRowStart };

// Typing and drawing in one unit of a film strip: the cursor, the selection, the chosen colours
// and every edit the cell editor makes. Headless: the editor's widgets forward keys, text and mouse
// positions in cells.
//
// The unit edited is always the strip's current unit (none: every edit does nothing). Each edit
// goes through the undo history as one step: a run of typing merges until the cursor jumps or a
// second passes, a brush stroke from beginStroke to endStroke is one step, and a fill, a
// rectangle, a paste, a cut, a clear or a move is one step each.
//
// The cells follow the grid's rules for GBK text, the ones a text import makes:
// - in a double-byte unit a Chinese character fills one cell, its first byte in the cell's first
//   half; typed at the second half, it goes to the next cell and the half left gets a space;
// - in a single-byte unit it takes two adjacent cells, the first byte at the cursor;
// - no edit leaves half of a double-byte character: a half overwritten or deleted turns the other
//   half into a space.
// Writing past the unit's extent grows it, up to the grid's limits (80 rows; 100 cells a row in a
// double-byte unit, 200 in a single-byte one).
class CellEditModel {
public:
    CellEditModel(TFilmPanel& strip, UndoHistory& history);

    // Cells a row may use and rows in the current unit's byte mode: what the cursor can reach.
    int maxCols() const;
    int maxRows() const { return kGridRows; }
    bool doubleByte() const;

    // ---- Cursor and selection
    CellCursor cursor() const { return m_cursor; }
    // Puts the cursor at a cell (clamped to the grid's limits) and drops the selection; the
    // position is moved off the second byte of a double-byte character. Ends the typing run.
    void setCursor(CellCursor at);
    // Moves the cursor as the keys of a text editor do; `extend` grows the selection from where it
    // started (Shift+arrow), otherwise the selection is dropped. `pageRows` is what Page Up/Down move.
    void moveCursor(CursorMove move, bool extend = false, int pageRows = 10);
    // The selected rectangle of cells (x columns, y rows); empty when nothing is selected.
    QRect selection() const { return m_selection; }
    void setSelection(const QRect& cells);
    void clearSelection() { m_selection = QRect(); }

    // ---- Chosen colours (the cell editor's swatches)
    TColor textColor() const { return m_textColor; }
    TColor backColor() const { return m_backColor; }
    void setTextColor(TColor color) { m_textColor = color; }
    void setBackColor(TColor color) { m_backColor = color; }
    void swapColors();
    // Alt+click: both swatches take the cell's colours.
    void pickColors(int row, int col);

    // ---- Typing
    bool insertMode() const { return m_insert; }
    void setInsertMode(bool on) { m_insert = on; }
    // Writes the text at the cursor in the chosen colours, character by character, and moves the
    // cursor past it; a line break goes to the start of the next row. Returns the characters GBK
    // cannot hold (nothing is written then), empty on success.
    QString typeText(const QString& text);
    // Backspace: in insert mode the character before the cursor goes and the rest of the row
    // moves left; in overwrite mode the cursor steps back over it and it becomes a space.
    void backspace();
    // Delete: with a selection, clears it (clearSelectionCells); otherwise the character at the
    // cursor goes and the rest of the row moves left, spaces coming in at the row's end.
    void deleteForward();
    // Enter: the start of the next row; writes nothing.
    void newLine() { moveCursor(CursorMove::NextRowStart); }

    // ---- Tools
    // A brush stroke: each paintCell between beginStroke and endStroke joins one undo step.
    void beginStroke();
    void paintCell(int row, int col, CellColors which);
    void endStroke();
    // Flood fill of the 4-connected cells of the extent that share the start cell's text colour
    // (which == Text) or background colour (Back or Both).
    void floodFill(int row, int col, CellColors which);
    // Every cell of the rectangle (clipped to the extent) takes the chosen colour(s).
    void fillRect(const QRect& cells, CellColors which);

    // ---- Selection and clipboard
    // The selection as Quillet's cell payload (characters and both colours of every cell).
    QByteArray copySelection() const;
    // The selection's text in Unicode, one line per row.
    QString selectionText() const;
    // Clears the selection's cells as the step "剪切"; take copySelection and selectionText first.
    void cutSelection();
    // Every cell of the selection becomes a space in the chosen colours; the selection stays.
    void clearSelectionCells();
    // Pastes a cell payload at the cursor (one undo step); its cells land as they were, the parts
    // outside the grid dropped. False when the bytes are not such a payload.
    bool pasteCells(const QByteArray& payload);
    // Pastes text from other programs at the cursor in the chosen colours, each line starting on
    // the next row at the cursor's column. Returns the characters GBK cannot hold (nothing pasted).
    QString pasteText(const QString& text);
    // Moves the selection's cells by (dCols, dRows): the place they leave becomes spaces in the
    // chosen colours, the selection moves with them (one undo step).
    void moveSelection(int dCols, int dRows);

    // Ends the typing run, so the next character starts a new undo step.
    void breakTypingRun() { ++m_run; }

private:
    // The unit edited: the strip's current one, or nullptr.
    const TAnsiImage* unit() const;
    int cursorSlot() const;
    void setCursorSlot(int row, int slot);
    // One step: the writes gathered in `cells` pushed with the current run.
    void commit(const PendingCells& cells, const QString& text, bool timed);
    // A step of its own: neither the typing before nor anything after merges into it.
    void commitStep(const PendingCells& cells, const QString& text);
    void clearSelectionAs(const QString& text);
    // Typing of one GBK character (one or two bytes) or a line break at the cursor.
    void typeCharacter(PendingCells& cells, const QByteArray& character);
    // The selection's cells, the halves of Chinese characters cut by its edges read as spaces.
    CellBlock liftSelection() const;
    // Writes the block at (row, col), clipped to the grid, keeping every character whole.
    void putBlock(PendingCells& cells, const CellBlock& block, int row, int col) const;
    void clearCells(PendingCells& cells, const QRect& rect) const;
    RowChar chosenSpace() const;

    TFilmPanel& m_strip;
    UndoHistory& m_history;
    CellCursor m_cursor;
    QRect m_selection;
    std::optional<CellCursor> m_anchor; // where a Shift selection started
    TColor m_textColor = 0x000000;
    TColor m_backColor = 0xFFFFFF;
    bool m_insert = false;
    std::uint64_t m_run = 1; // typing run or stroke the next edit merges into
    bool m_stroking = false;
};

} // namespace quillet

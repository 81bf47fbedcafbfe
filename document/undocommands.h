#pragma once

#include "ansiimage.h"

#include <QUndoCommand>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace quillet {

class TFilmPanel;

// The undo steps of the film strip, one class per kind of change. Each is built on the strip's own
// operations, so the strip sends its signals for every redo and undo. Whatever could fail has been
// checked before a command is made: redo() and undo() never fail and never throw. After either,
// the unit the step touched is current.

// Finished units inserted at one place; undo takes them out again and keeps them.
class InsertUnitsCommand : public QUndoCommand {
public:
    // units must fit into the strip (count() + units.size() <= kMaxUnits) and at lie in 0 .. count().
    InsertUnitsCommand(TFilmPanel& strip, int at, std::vector<std::unique_ptr<TAnsiImage>> units, const QString& text);
    void redo() override;
    void undo() override;

private:
    TFilmPanel& m_strip;
    int m_at;
    int m_count;
    std::vector<std::unique_ptr<TAnsiImage>> m_units; // held while the step is undone
};

// Units taken out of the strip; they are kept whole for undo, which puts them back, the last of
// them current.
class RemoveUnitsCommand : public QUndoCommand {
public:
    // first .. first + count - 1 must lie in the strip.
    RemoveUnitsCommand(TFilmPanel& strip, int first, int count, const QString& text);
    void redo() override;
    void undo() override;

private:
    TFilmPanel& m_strip;
    int m_first;
    int m_count;
    std::vector<std::unique_ptr<TAnsiImage>> m_units; // held while the step is done
};

// A unit swapped with its upper or lower neighbour; it stays current.
class MoveUnitCommand : public QUndoCommand {
public:
    // The neighbour must exist.
    MoveUnitCommand(TFilmPanel& strip, int index, bool up);
    void redo() override;
    void undo() override;

private:
    TFilmPanel& m_strip;
    int m_index;
    bool m_up;
};

// New lines and default colours for one unit. The step keeps only what changed: the grid's
// difference (the before and after grids XOR-ed, compressed) and both states' small fields.
// Applies to the same unit within a second merge into one step.
class SetUnitContentCommand : public QUndoCommand {
public:
    static constexpr int kId = 1;
    static constexpr std::int64_t kMergeMilliseconds = 1000;
    // nowMs is the time of the apply in milliseconds.
    SetUnitContentCommand(TFilmPanel& strip, int index, const QList<QByteArray>& lines, TColor backColor,
                          TColor fontColor, std::int64_t nowMs);
    void redo() override;
    void undo() override;
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand* other) override;
    // Bytes the step holds for the grid's difference.
    qsizetype deltaBytes() const { return m_delta.size(); }

private:
    // The unit's content with the grid XOR-ed with the delta and the given small fields.
    void restore(const UnitContent& fields);

    TFilmPanel& m_strip;
    int m_index;
    std::int64_t m_lastMs;
    // The apply's arguments, until the first redo has made the step's states.
    struct Apply {
        QList<QByteArray> lines;
        TColor backColor;
        TColor fontColor;
    };
    std::unique_ptr<Apply> m_apply;
    UnitContent m_before; // small fields only: grid stays empty
    UnitContent m_after;  // the same
    QByteArray m_delta;   // zlib-compressed XOR of the grids before and after
};

// Cells of one unit written by the cell editor, and the extent they leave. The step keeps the
// cells it wrote, each with what it held before, and both extents. Edits of one run (a typing run,
// a brush stroke) merge into one step; a timed run merges only while each edit follows the one
// before within a second.
class EditCellsCommand : public QUndoCommand {
public:
    static constexpr int kId = 2;
    static constexpr std::int64_t kMergeMilliseconds = 1000;
    // Cells must lie in the grid and index in the strip; cols and rows within the grid's limits.
    EditCellsCommand(TFilmPanel& strip, int index, const std::vector<CellWrite>& cells, std::int32_t cols,
                     std::int32_t rows, const QString& text, std::uint64_t run, bool timed, std::int64_t nowMs);
    void redo() override;
    void undo() override;
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    struct Change {
        TAnsiCell before;
        TAnsiCell after;
    };
    void apply(bool after);

    TFilmPanel& m_strip;
    int m_index;
    std::map<int, Change> m_cells; // by index in the grid
    std::int32_t m_colsBefore = 0;
    std::int32_t m_rowsBefore = 0;
    std::int32_t m_colsAfter;
    std::int32_t m_rowsAfter;
    std::uint64_t m_run;
    bool m_timed;
    std::int64_t m_lastMs;
    bool m_done = false; // the first redo has happened
};

// A unit's own duration (0: none). Not part of the picture: the step changes nothing else.
class SetUnitDurationCommand : public QUndoCommand {
public:
    // index must lie in the strip and milliseconds be a duration IsUnitDuration accepts.
    SetUnitDurationCommand(TFilmPanel& strip, int index, std::int32_t milliseconds);
    void redo() override;
    void undo() override;

private:
    void apply(std::int32_t milliseconds);

    TFilmPanel& m_strip;
    int m_index;
    std::int32_t m_before;
    std::int32_t m_after;
    bool m_done = false; // the first redo has happened
};

// Every unit's page colour.
class PageColorCommand : public QUndoCommand {
public:
    PageColorCommand(TFilmPanel& strip, TColor color);
    void redo() override;
    void undo() override;

private:
    TFilmPanel& m_strip;
    TColor m_before;
    TColor m_after;
};

} // namespace quillet

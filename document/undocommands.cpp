#include "undocommands.h"

#include "filmpanel.h"

#include <QCoreApplication>

#include <zlib.h>

#include <cstring>

namespace quillet {

namespace {

// XOR of two grids of kRecordSize bytes: what turns one into the other, mostly zero bytes when
// little changed, which zlib's fastest level packs to a small fraction.
QByteArray xorGrids(const char* a, const char* b) {
    static_assert(kRecordSize % sizeof(std::uint64_t) == 0, "the grid is whole words");
    QByteArray out(kRecordSize, Qt::Uninitialized);
    char* o = out.data();
    for (std::size_t k = 0; k < kRecordSize; k += sizeof(std::uint64_t)) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + k, sizeof x);
        std::memcpy(&y, b + k, sizeof y);
        x ^= y;
        std::memcpy(o + k, &x, sizeof x);
    }
    return out;
}

QByteArray compressGrid(const QByteArray& grid) {
    uLongf size = compressBound(kRecordSize);
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    // Only a lack of memory makes compress2 fail on a buffer of compressBound bytes.
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(grid.constData()),
                  kRecordSize, 1) != Z_OK)
        throw std::bad_alloc();
    out.truncate(static_cast<qsizetype>(size));
    out.squeeze();
    return out;
}

QByteArray expandGrid(const QByteArray& packed) {
    QByteArray out(kRecordSize, Qt::Uninitialized);
    uLongf size = kRecordSize;
    const int result =
        uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(packed.constData()),
                   static_cast<uLong>(packed.size()));
    Q_ASSERT(result == Z_OK && size == kRecordSize);
    Q_UNUSED(result);
    return out;
}

// The unit's content without its grid: what a content step keeps of each state besides the delta.
UnitContent fieldsOf(const TAnsiImage& unit) {
    UnitContent c;
    c.fileName = unit.fileName();
    c.cols = unit.cols();
    c.rows = unit.rows();
    c.backColor = unit.backColor();
    c.fontColor = unit.fontColor();
    c.byteMode = unit.byteMode();
    c.hasColor = unit.hasColor();
    c.width = unit.width();
    c.height = unit.height();
    c.duration = unit.duration();
    return c;
}

const char* gridBytes(const TAnsiImage& unit) {
    return reinterpret_cast<const char*>(unit.grid().data());
}

} // namespace

InsertUnitsCommand::InsertUnitsCommand(TFilmPanel& strip, int at, std::vector<std::unique_ptr<TAnsiImage>> units,
                                       const QString& text)
    : QUndoCommand(text), m_strip(strip), m_at(at), m_count(static_cast<int>(units.size())), m_units(std::move(units)) {
}

void InsertUnitsCommand::redo() {
    m_strip.InsertUnits(m_at, std::move(m_units));
    m_units.clear();
}

void InsertUnitsCommand::undo() {
    m_units = m_strip.TakeUnits(m_at, m_count);
}

RemoveUnitsCommand::RemoveUnitsCommand(TFilmPanel& strip, int first, int count, const QString& text)
    : QUndoCommand(text), m_strip(strip), m_first(first), m_count(count) {}

void RemoveUnitsCommand::redo() {
    m_units = m_strip.TakeUnits(m_first, m_count);
}

void RemoveUnitsCommand::undo() {
    m_strip.InsertUnits(m_first, std::move(m_units));
    m_units.clear();
}

MoveUnitCommand::MoveUnitCommand(TFilmPanel& strip, int index, bool up)
    : QUndoCommand(up ? QCoreApplication::translate("quillet::UndoHistory", "上移单元")
                      : QCoreApplication::translate("quillet::UndoHistory", "下移单元")),
      m_strip(strip), m_index(index), m_up(up) {}

void MoveUnitCommand::redo() {
    m_strip.MoveUnit(m_index, m_up);
    m_strip.SetCurrentUnit(m_up ? m_index - 1 : m_index + 1);
}

void MoveUnitCommand::undo() {
    m_strip.MoveUnit(m_up ? m_index - 1 : m_index + 1, !m_up);
    m_strip.SetCurrentUnit(m_index);
}

SetUnitContentCommand::SetUnitContentCommand(TFilmPanel& strip, int index, const QList<QByteArray>& lines,
                                             TColor backColor, TColor fontColor, std::int64_t nowMs)
    : QUndoCommand(QCoreApplication::translate("quillet::UndoHistory", "应用单元内容")), m_strip(strip), m_index(index),
      m_lastMs(nowMs), m_apply(std::make_unique<Apply>(Apply{lines, backColor, fontColor})) {}

void SetUnitContentCommand::redo() {
    if (!m_apply) {
        restore(m_after);
        return;
    }
    // The first redo is the apply itself, with the strip's signals of an apply; the current unit
    // stays as it is, as for an apply made without the history.
    const TAnsiImage& unit = m_strip.GetUnit(m_index);
    const auto before = std::make_unique<TAnsiGrid>(unit.grid());
    m_before = fieldsOf(unit);
    m_strip.SetUnitContent(m_index, m_apply->lines, m_apply->backColor, m_apply->fontColor);
    m_apply.reset();
    m_delta = compressGrid(xorGrids(reinterpret_cast<const char*>(before->data()), gridBytes(unit)));
    m_after = fieldsOf(unit);
}

void SetUnitContentCommand::undo() {
    restore(m_before);
}

void SetUnitContentCommand::restore(const UnitContent& fields) {
    UnitContent content = fields;
    content.grid = xorGrids(gridBytes(m_strip.GetUnit(m_index)), expandGrid(m_delta).constData());
    m_strip.RestoreUnitContent(m_index, content);
    m_strip.SetCurrentUnit(m_index);
}

bool SetUnitContentCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const SetUnitContentCommand*>(other);
    if (next->m_index != m_index || next->m_lastMs - m_lastMs >= kMergeMilliseconds || next->m_lastMs < m_lastMs)
        return false;
    m_delta = compressGrid(xorGrids(expandGrid(m_delta).constData(), expandGrid(next->m_delta).constData()));
    m_after = next->m_after;
    m_lastMs = next->m_lastMs;
    return true;
}

EditCellsCommand::EditCellsCommand(TFilmPanel& strip, int index, const std::vector<CellWrite>& cells,
                                   std::int32_t cols, std::int32_t rows, const QString& text, std::uint64_t run,
                                   bool timed, std::int64_t nowMs)
    : QUndoCommand(text), m_strip(strip), m_index(index), m_colsAfter(cols), m_rowsAfter(rows), m_run(run),
      m_timed(timed), m_lastMs(nowMs) {
    for (const CellWrite& w : cells)
        m_cells[w.index].after = w.cell;
}

void EditCellsCommand::redo() {
    if (!m_done) {
        // The first redo is the edit itself: what the cells held comes from the unit as it stands,
        // and the unit edited is current already.
        const TAnsiImage& unit = m_strip.GetUnit(m_index);
        for (auto& [index, change] : m_cells)
            change.before = unit.grid()[static_cast<std::size_t>(index)];
        m_colsBefore = unit.cols();
        m_rowsBefore = unit.rows();
        m_done = true;
        apply(true);
        return;
    }
    apply(true);
    m_strip.SetCurrentUnit(m_index);
}

void EditCellsCommand::undo() {
    apply(false);
    m_strip.SetCurrentUnit(m_index);
}

void EditCellsCommand::apply(bool after) {
    std::vector<CellWrite> writes;
    writes.reserve(m_cells.size());
    for (const auto& [index, change] : m_cells)
        writes.push_back({index, after ? change.after : change.before});
    m_strip.EditCells(m_index, writes, after ? m_colsAfter : m_colsBefore, after ? m_rowsAfter : m_rowsBefore);
}

bool EditCellsCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const EditCellsCommand*>(other);
    if (next->m_index != m_index || next->m_run != m_run) return false;
    if (m_timed && (next->m_lastMs - m_lastMs >= kMergeMilliseconds || next->m_lastMs < m_lastMs)) return false;
    for (const auto& [index, change] : next->m_cells) {
        const auto it = m_cells.find(index);
        if (it == m_cells.end())
            m_cells.emplace(index, change);
        else
            it->second.after = change.after;
    }
    m_colsAfter = next->m_colsAfter;
    m_rowsAfter = next->m_rowsAfter;
    m_lastMs = next->m_lastMs;
    return true;
}

SetUnitDurationCommand::SetUnitDurationCommand(TFilmPanel& strip, int index, std::int32_t milliseconds)
    : QUndoCommand(QCoreApplication::translate("quillet::UndoHistory", "更改单元时长")), m_strip(strip), m_index(index),
      m_before(strip.GetUnit(index).duration()), m_after(milliseconds) {}

void SetUnitDurationCommand::redo() {
    // The first redo is the apply itself: the unit is current already and its fields show it.
    if (!m_done) {
        m_done = true;
        m_strip.SetUnitDuration(m_index, m_after);
        return;
    }
    apply(m_after);
}

void SetUnitDurationCommand::undo() {
    apply(m_before);
}

void SetUnitDurationCommand::apply(std::int32_t milliseconds) {
    m_strip.SetUnitDuration(m_index, milliseconds);
    m_strip.SetCurrentUnit(m_index);
}

PageColorCommand::PageColorCommand(TFilmPanel& strip, TColor color)
    : QUndoCommand(QCoreApplication::translate("quillet::UndoHistory", "更改页面颜色")), m_strip(strip),
      m_before(strip.pageColor()), m_after(color) {}

void PageColorCommand::redo() {
    m_strip.SetPageColor(m_after);
}

void PageColorCommand::undo() {
    m_strip.SetPageColor(m_before);
}

} // namespace quillet

#include "undohistory.h"

#include "filmpanel.h"
#include "undocommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstring>

namespace quillet {

UndoHistory::UndoHistory(TFilmPanel& strip, QObject* parent) : QObject(parent), m_strip(strip) {
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    m_clock = [timer] { return timer->elapsed(); };
    connect(&m_stack, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

UndoHistory::~UndoHistory() = default;

QUndoStack* UndoHistory::stack() {
    return &m_stack;
}

int UndoHistory::insertUnits(int at, std::vector<std::unique_ptr<TAnsiImage>> units, const QString& text) {
    const int room = TFilmPanel::kMaxUnits - m_strip.count();
    const int n = std::min(static_cast<int>(units.size()), room);
    if (n <= 0) return 0;
    units.resize(static_cast<std::size_t>(n));
    m_stack.push(new InsertUnitsCommand(m_strip, std::clamp(at, 0, m_strip.count()), std::move(units), text));
    return n;
}

void UndoHistory::removeUnits(int first, int count, const QString& text) {
    const int from = std::max(first, 0);
    const int to = std::min(first + count, m_strip.count());
    if (to <= from) return;
    m_stack.push(new RemoveUnitsCommand(m_strip, from, to - from, text));
}

bool UndoHistory::moveUnit(int index, bool up) {
    if (index < 0 || index >= m_strip.count() || (up && index == 0) || (!up && index == m_strip.count() - 1))
        return false;
    m_stack.push(new MoveUnitCommand(m_strip, index, up));
    return true;
}

void UndoHistory::setUnitContent(int index, const QList<QByteArray>& lines, TColor backColor, TColor fontColor) {
    if (index < 0 || index >= m_strip.count()) return;
    m_stack.push(new SetUnitContentCommand(m_strip, index, lines, backColor, fontColor, m_clock()));
}

void UndoHistory::setUnitContent(int index, const QList<QByteArray>& lines, TColor backColor, TColor fontColor,
                                 std::int32_t duration) {
    if (index < 0 || index >= m_strip.count() || !IsUnitDuration(duration)) return;
    if (duration == m_strip.GetUnit(index).duration()) {
        setUnitContent(index, lines, backColor, fontColor);
        return;
    }
    m_stack.beginMacro(QCoreApplication::translate("quillet::UndoHistory", "应用单元内容"));
    m_stack.push(new SetUnitContentCommand(m_strip, index, lines, backColor, fontColor, m_clock()));
    m_stack.push(new SetUnitDurationCommand(m_strip, index, duration));
    m_stack.endMacro();
}

void UndoHistory::editCells(int index, const std::vector<CellWrite>& cells, std::int32_t cols, std::int32_t rows,
                            const QString& text, std::uint64_t run, bool timed) {
    if (index < 0 || index >= m_strip.count()) return;
    const TAnsiImage& unit = m_strip.GetUnit(index);
    std::vector<CellWrite> changed;
    for (const CellWrite& w : cells) {
        if (w.index < 0 || w.index >= kGridCells) continue;
        if (std::memcmp(&unit.grid()[static_cast<std::size_t>(w.index)], &w.cell, sizeof(TAnsiCell)) != 0)
            changed.push_back(w);
    }
    if (changed.empty() && cols == unit.cols() && rows == unit.rows()) return;
    m_stack.push(new EditCellsCommand(m_strip, index, changed, std::clamp(cols, 0, kGridCols),
                                      std::clamp(rows, 0, kGridRows), text, run, timed, m_clock()));
}

void UndoHistory::setPageColor(TColor color) {
    m_stack.push(new PageColorCommand(m_strip, color));
}

void UndoHistory::clear() {
    m_stack.clear();
}

void UndoHistory::setClean() {
    m_stack.setClean();
}

bool UndoHistory::isClean() const {
    return m_stack.isClean();
}

void UndoHistory::setClock(Clock clock) {
    m_clock = std::move(clock);
}

} // namespace quillet

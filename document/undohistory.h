#pragma once

#include "ansiimage.h"

#include <QObject>
#include <QUndoStack>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quillet {

class TFilmPanel;

// One undo history over one film strip. Every change of the document made by the editor goes
// through it; each call is one undo step (or merges into the last one). Everything that can fail
// (reading files, encoding text, the unit limit) happens before a call: redo() and undo() of the
// commands never fail and never throw. The strip emits its own signals as it changes; after an
// undo or redo the unit the step touched is current.
//
// A step keeps what it changed, not copies of the strip: removed units whole, a content change as
// the compressed difference of the unit's grid.
class UndoHistory : public QObject {
    Q_OBJECT
public:
    // Milliseconds on a clock that never goes back; the history asks it when content is applied.
    using Clock = std::function<std::int64_t()>;

    explicit UndoHistory(TFilmPanel& strip, QObject* parent = nullptr);
    ~UndoHistory() override;

    // For the editor's undo/redo actions (QUndoStack::createUndoAction/createRedoAction with the
    // prefixes "撤销" / "重做") and the clean state.
    QUndoStack* stack();

    // Finished units (TFilmPanel::NewUnit, an import, a duplicate, a paste) inserted at `at`
    // (0..count()); the last inserted becomes current. Units past the 50-unit limit are not
    // inserted: returns how many were (0: nothing pushed). `text` is the step's menu text, e.g.
    // "添加文字页", "重复单元", "插入空白单元", "粘贴单元".
    int insertUnits(int at, std::vector<std::unique_ptr<TAnsiImage>> units, const QString& text);
    // Removes `count` units from `first` ("删除单元", or "剪切单元" for a cut); the unit then at
    // `first` (or the last) becomes current. The part of the range outside the strip is ignored.
    void removeUnits(int first, int count, const QString& text);
    // The unit moves up or down one place and becomes current ("上移单元"/"下移单元"); false
    // (nothing pushed) when there is no neighbour.
    bool moveUnit(int index, bool up);
    // The memo's lines and the two colours applied to the unit ("应用单元内容"), as
    // TFilmPanel::SetUnitContent does. Repeated applies to the same unit, each within a second of
    // the one before, merge into one step (never into the clean state).
    void setUnitContent(int index, const QList<QByteArray>& lines, TColor backColor, TColor fontColor);
    // The same apply with the unit's own duration (0: none; otherwise IsUnitDuration). While the
    // duration stays, exactly the apply above; when it changes, the apply and the new duration
    // ("更改单元时长") are one step named "应用单元内容", merging with none.
    void setUnitContent(int index, const QList<QByteArray>& lines, TColor backColor, TColor fontColor,
                        std::int32_t duration);
    // Cells of the unit written by the cell editor, leaving the extent cols x rows (`text` names
    // the step: "输入文字", "画笔", ...). Edits with the same `run` merge into one step: every
    // one when `timed` is false (a brush stroke), while each follows the one before within a
    // second when it is true (typing). Nothing is pushed when no cell and no extent would change.
    void editCells(int index, const std::vector<CellWrite>& cells, std::int32_t cols, std::int32_t rows,
                   const QString& text, std::uint64_t run, bool timed);
    // Every unit's page colour ("更改页面颜色").
    void setPageColor(TColor color);

    // New and Open: the history is emptied and clean.
    void clear();
    // A save: the present state is the clean state.
    void setClean();
    bool isClean() const;

    // The clock merging asks (default: a monotonic clock); tests hand in their own.
    void setClock(Clock clock);

signals:
    // The changed mark: true when the document differs from its clean state.
    void modifiedChanged(bool modified);

private:
    TFilmPanel& m_strip;
    QUndoStack m_stack;
    Clock m_clock;
};

} // namespace quillet

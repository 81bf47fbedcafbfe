// The unit commands of the edit menu (duplicate, blank unit, the units' clipboard) and undo/redo:
// every change goes through the undo history as one step.
#include "mainwindow.h"

#include "fileerror.h"
#include "filmpanel.h"
#include "prompts.h"
#include "undohistory.h"
#include "unitclipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUndoStack>

namespace quillet {

namespace {

const char* const kNoUnitsText = QT_TRANSLATE_NOOP("quillet::TForm_movie", "剪贴板中没有可以粘贴的单元。");
const char* const kUnreadableText =
    QT_TRANSLATE_NOOP("quillet::TForm_movie", "剪贴板中的单元无法读取，没有粘贴任何内容：\n");
const char* const kPartlyPastedText =
    QT_TRANSLATE_NOOP("quillet::TForm_movie", "剪贴板中有%1个单元，已到达单元数上限，只粘贴了前%2个，%3个没有粘贴。");

// The current unit alone, as the clipboard functions take units.
std::vector<const TAnsiImage*> currentUnit(const TFilmPanel& strip) {
    return {&strip.GetUnit(strip.currentIndex())};
}

} // namespace

int TForm_movie::insertAfterCurrent(std::vector<std::unique_ptr<TAnsiImage>> units, const QString& text) {
    const int inserted = m_history->insertUnits(FilmStrip->currentIndex() + 1, std::move(units), text);
    UpdateToolButtons();
    RefreshCurrentUnit();
    return inserted;
}

void TForm_movie::duplicateCurrentUnit() {
    if (FilmStrip->currentIndex() < 0 || !mayInsertUnits()) return;
    std::vector<std::unique_ptr<TAnsiImage>> units;
    units.push_back(DuplicateUnit(*FilmStrip, FilmStrip->currentIndex()));
    insertAfterCurrent(std::move(units), tr("重复单元"));
}

void TForm_movie::insertBlankUnit() {
    if (!mayInsertUnits()) return;
    std::vector<std::unique_ptr<TAnsiImage>> units;
    units.push_back(BlankUnit(*FilmStrip));
    insertAfterCurrent(std::move(units), tr("插入空白单元"));
}

bool TForm_movie::putCurrentUnitOnClipboard() {
    // What is copied is the unit with the fields' changes, when the user wants them applied.
    if (FilmStrip->currentIndex() < 0 || !UnappliedEditsQuestion()) return false;
    const std::vector<const TAnsiImage*> units = currentUnit(*FilmStrip);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kUnitsMimeType), EncodeUnits(units));
    data->setText(UnitsPlainText(units));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

void TForm_movie::copyCurrentUnit() {
    putCurrentUnitOnClipboard();
}

void TForm_movie::cutCurrentUnit() {
    if (!putCurrentUnitOnClipboard()) return;
    m_history->removeUnits(FilmStrip->currentIndex(), 1, tr("剪切单元"));
    UpdateToolButtons();
    RefreshCurrentUnit();
}

void TForm_movie::pasteUnits() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(QString::fromLatin1(kUnitsMimeType))) {
        m_prompts.message(tr(kNoUnitsText));
        return;
    }
    // The clipboard's bytes are read before anything is asked or changed.
    const QByteArray bytes = data->data(QString::fromLatin1(kUnitsMimeType));
    std::vector<std::unique_ptr<TAnsiImage>> units;
    try {
        units = DecodeUnits(bytes, *FilmStrip);
    } catch (const FileError& e) {
        m_prompts.message(tr(kUnreadableText) + e.message());
        return;
    }
    if (!mayInsertUnits()) return;
    const int offered = static_cast<int>(units.size());
    const int pasted = insertAfterCurrent(std::move(units), tr("粘贴单元"));
    if (pasted < offered) m_prompts.message(tr(kPartlyPastedText).arg(offered).arg(pasted).arg(offered - pasted));
}

void TForm_movie::undoStep() {
    // Changes the fields hold are applied (then this step is the one taken back) or dropped first.
    if (!m_history->stack()->canUndo() || !UnappliedEditsQuestion()) return;
    m_history->stack()->undo();
    UpdateToolButtons();
}

void TForm_movie::redoStep() {
    if (!m_history->stack()->canRedo() || !UnappliedEditsQuestion()) return;
    // An apply of the fields' changes ends what can be redone.
    if (!m_history->stack()->canRedo()) return;
    m_history->stack()->redo();
    UpdateToolButtons();
}

} // namespace quillet

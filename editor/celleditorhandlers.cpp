// The cell editor: the pane in place of the film area, opened on the current unit, following it
// and closed again; the colour dialog for its chosen colours; the fields and status bar showing its
// edits.
#include "mainwindow.h"

#include "celleditorpane.h"
#include "editoractions.h"
#include "filmpanel.h"
#include "filmview.h"
#include "gbktext.h"
#include "optionpanel.h"
#include "prompts.h"
#include "statuspanels.h"

#include <QAction>
#include <QPlainTextEdit>

namespace quillet {

void TForm_movie::connectCellEditor() {
    connect(m_actions->editUnit, &QAction::triggered, this, &TForm_movie::openCellEditor);
    connect(ScrollBox, &FilmView::unitEditRequested, this, &TForm_movie::openCellEditor);
    connect(m_cellEditor, &CellEditorPane::closeRequested, this, &TForm_movie::closeCellEditor);
    connect(m_cellEditor, &CellEditorPane::colorPickRequested, this, &TForm_movie::pickCellColor);
    connect(FilmStrip.get(), &TFilmPanel::unitChanged, this, &TForm_movie::cellEditorFollowsUnit, Qt::DirectConnection);
    connect(FilmStrip.get(), &TFilmPanel::unitContentChanged, this, &TForm_movie::showEditedUnit);
}

void TForm_movie::openCellEditor() {
    if (m_actions->cellEditorOpen() || m_actions->previewOpen() || FilmStrip->currentIndex() < 0) return;
    // The editor starts from the unit as it is.
    if (!UnappliedEditsQuestion()) return;
    MainPanel->hide();
    m_cellEditor->show();
    m_actions->setCellEditorOpen(true);
    UpdateToolButtons();
    m_cellEditor->open();
}

void TForm_movie::closeCellEditor() {
    if (!m_actions->cellEditorOpen()) return;
    m_cellEditor->hide();
    MainPanel->show();
    m_actions->setCellEditorOpen(false);
    UpdateToolButtons();
    ScrollBox->ensureCurrentVisible();
    ScrollBox->setFocus(Qt::OtherFocusReason);
}

void TForm_movie::pickCellColor(int tag, TColor current) {
    const std::optional<TColor> chosen = m_prompts.color(current);
    if (chosen) m_cellEditor->chooseColor(tag, *chosen);
}

void TForm_movie::cellEditorFollowsUnit() {
    if (!m_actions->cellEditorOpen()) return;
    if (FilmStrip->currentIndex() < 0)
        closeCellEditor();
    else
        m_cellEditor->followCurrentUnit();
}

void TForm_movie::showEditedUnit(int index) {
    if (!m_actions->cellEditorOpen() || index != FilmStrip->currentIndex()) return;
    const TAnsiImage& unit = FilmStrip->GetUnit(index);
    bsSkinStatusBar1->showUnit(index + 1, FilmStrip->count(), unit.cols(), unit.rows(), unit.hasColor());
    // Text typed into the unit's box and not applied stays there; otherwise the box shows the unit.
    if (pop_window->unitFieldsPending()) return;
    if (DecodeGbkLines(unit.GetLines()) != pop_window->MemoText->toPlainText()) showCurrentUnitFields();
}

} // namespace quillet

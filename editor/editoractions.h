#pragma once

#include <QObject>

class QAction;
class QMenuBar;
class QToolBar;
class QUndoStack;
class QWidget;

namespace quillet {

// The editor's commands as actions: picture, menu text, hint with its key, shortcut and "Tag". The
// tool bar and the menu bar show them (the tool bar's buttons show the hint, the menus the text);
// the window connects their triggered signals to its commands. Which of them can be used follows
// from the document's unit count, whether the preview is open and what the history can undo.
class EditorActions : public QObject {
    Q_OBJECT
public:
    // The actions belong to `window`, whose keys reach them (window-wide shortcuts). Delete,
    // Ctrl+Up/Down and the undo keys are left to a text field that has the focus; the unit
    // clipboard's keys (Ctrl+X/C/V) reach their commands only while `filmView` has the focus. Undo
    // and redo follow `history`; their triggered signals are left to the window, which asks about
    // the current unit's fields before it undoes or redoes.
    EditorActions(QWidget* window, QWidget* filmView, QUndoStack* history);

    QAction* const TB_open;
    QAction* const TB_New;
    QAction* const TB_save;
    QAction* const TB_SaveHtm;
    QAction* const TB_AddImg;
    QAction* const TB_delect;
    QAction* const TB_up;   // "Tag" 1
    QAction* const TB_down; // "Tag" 2
    QAction* const TB_Preplay;
    QAction* const TB_ifo;
    QAction* const TB_about;
    QAction* const TB_help;
    // Commands of the menus only, or of the menus and the undo buttons.
    QAction* const saveAs;          // the save dialog, always
    QAction* const quit;            // closes the window
    QAction* const undo;            // "撤销" and the step's text
    QAction* const redo;            // "重做" and the step's text
    QAction* const cutUnit;         // the current unit to the clipboard, and out of the document
    QAction* const copyUnit;        // the current unit to the clipboard
    QAction* const pasteUnit;       // the clipboard's units after the current unit
    QAction* const duplicateUnit;   // a copy of the current unit after it
    QAction* const insertBlankUnit; // a blank unit after the current unit
    QAction* const editUnit;        // opens the cell editor on the current unit
    QAction* const exportAnimation; // the document as an animated picture; usable when the page export is

    // Shows the actions in the tool bar, in their groups, with its buttons' sizes.
    void fillToolBar(QToolBar* bar) const;
    // The menus 文件, 编辑, 单元, 播放, 视图 and 帮助 with their commands; 播放 also lists the
    // preview pane's own commands (`previewActions`: pause, step back, step forward).
    void fillMenuBar(QMenuBar* bar, const QList<QAction*>& previewActions) const;

    // Enables the document actions: with no unit only adding, opening, pasting and a blank unit
    // (the rest as they were left); while the preview is open only the preview's own; while the
    // cell editor is open saving and exporting; otherwise all of them. Undo and redo are off while
    // the preview is open and follow the history otherwise.
    void updateEnabled(int unitCount, bool previewOpen);
    // No unit is current: the actions that need one are turned off.
    void noCurrentUnit();
    // A unit became current: it can be deleted, cut, copied, duplicated and edited (not while the
    // cell editor is open, which keeps those off).
    void currentUnitShown();

    // The preview button's state ("Tag" 1 closed, 2 open) and picture.
    bool previewOpen() const;
    void setPreviewOpen(bool open);
    // The options button's picture: shown (9) or hidden (10).
    bool optionsShown() const;
    void setOptionsShown(bool shown);
    // Whether the cell editor is open, as updateEnabled and currentUnitShown take it.
    bool cellEditorOpen() const { return m_cellEditorOpen; }
    void setCellEditorOpen(bool open) { m_cellEditorOpen = open; }

private:
    QUndoStack* m_history;
    bool m_cellEditorOpen = false;
};

} // namespace quillet

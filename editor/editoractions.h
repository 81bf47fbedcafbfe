#pragma once

#include <QObject>

class QAction;
class QToolBar;
class QWidget;

namespace quillet {

// The editor's commands as actions: picture, text, hint with its key, shortcut and "Tag". The tool
// bar shows them; the window connects their triggered signals to its commands. Which of them can
// be used follows from the document's unit count and whether the preview is open.
class EditorActions : public QObject {
    Q_OBJECT
public:
    // The actions belong to `window`, whose keys reach them (window-wide shortcuts). Delete and
    // Ctrl+Up/Down are left to a text field that has the focus.
    explicit EditorActions(QWidget* window);

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

    // Shows the actions in the tool bar, in their groups, with its buttons' sizes.
    void fillToolBar(QToolBar* bar) const;

    // Enables the document actions: with no unit only adding and opening (the rest as they were
    // left); while the preview is open only the preview's own; otherwise all of them.
    void updateEnabled(int unitCount, bool previewOpen);
    // No unit is current: the actions that need one are turned off.
    void noCurrentUnit();
    // A unit became current: it can be deleted.
    void currentUnitShown();

    // The preview button's state ("Tag" 1 closed, 2 open) and picture.
    bool previewOpen() const;
    void setPreviewOpen(bool open);
    // The options button's picture: shown (9) or hidden (10).
    bool optionsShown() const;
    void setOptionsShown(bool shown);
};

} // namespace quillet

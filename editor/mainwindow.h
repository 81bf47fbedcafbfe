#pragma once

#include "ansicell.h"
#include "dialogfolder.h"
#include "pageoptions.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QTimer;
class QToolBar;
class QUndoStack;

namespace quillet {

class AnimationExportCommand;
class AutoSaver;
class CellEditorPane;
class EditorActions;
class FilmView;
class OptionPanel;
class PreviewPanel;
class Prompts;
class StatusPanels;
class TAnsiImage;
class TFilmPanel;
class THtmFP;
class UndoHistory;

// The editor's only window: tool bar, film area (or the preview pane or the cell editor in its
// place), option panel and status bar around the one document it owns for the whole run.
class TForm_movie : public QMainWindow {
    Q_OBJECT
public:
    // Runs the start-up sequence. `args` are the command-line arguments after the program's name;
    // `programDir` is the folder the side files are read from (empty: the executable's folder).
    TForm_movie(Prompts& prompts, const QStringList& args, const QString& programDir = QString(),
                QWidget* parent = nullptr);
    ~TForm_movie() override;

    // The about window, shown without being modal by the about button.
    void setAboutWindow(QWidget* about);
    // The document the window holds from start-up to its end.
    const TFilmPanel& document() const;
    // True while the document has changes that were not saved: it differs from its clean state in
    // the undo history, or a setting the page or new units take was changed, or it was restored
    // from a recovery copy. The title shows it as "*" after the file name.
    bool isModified() const;
    // The undo history's steps, to be read: the undo and redo actions walk them.
    const QUndoStack& undoStack() const;
    // How a file or address is handed to the desktop, in place of the desktop's own opener.
    void setShellOpenHook(std::function<void(const QString&)> hook);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    // Document commands. Errors are shown here; nothing escapes a command.
    void TB_NewClick();
    void TB_openClick();
    void TB_save1Click();
    void TB_AddImgClick();
    void TB_delect1Click();
    // Moves the current unit up (sender's "Tag" 1) or down (2).
    void TB_up1Click(QObject* sender);
    void TB_SaveHtmClick();
    void TB_help1Click();
    void TB_aboutClick();
    // Opens the current unit's source file, when it has one that is there.
    void Panl_EditClick();

    // Unit commands, each one undo step; those that make a unit insert it after the current one,
    // where it becomes current, or show the notice of the unit limit when there is no room.
    void duplicateCurrentUnit();
    void insertBlankUnit();
    // The current unit to the clipboard as Quillet's units and as text; cutting also takes it out.
    void cutCurrentUnit();
    void copyCurrentUnit();
    // The clipboard's units after the current unit, as many as fit; a clipboard that holds no
    // readable units is reported and nothing changes.
    void pasteUnits();
    // Undo and redo of the history's steps, after the question about the current unit's fields.
    void undoStep();
    void redoStep();

    // Option panel. Asks the colour dialog for the swatch; picking applies nothing.
    void Panl_forecolorClick(int tag, TColor current);
    // Applies the page options: swatches from the typed texts, title, buttons, colour texts as
    // typed, page colour, byte mode of new units, the preview picture's fill.
    void bsBtnHOKClick();
    // Fill the page options and the unit defaults from the stored values.
    void bsBtnHResetClick();
    void bsBtn_DfResetClick();
    // Applies the two unit-default swatches (their edit fields are only shown).
    void bsBtn_DfOkClick();
    // Gives the current unit the memo's lines and the typed colours; later units move by the
    // change of its height. Text that GBK cannot hold is reported and nothing changes.
    void bsBtnPOKClick();
    // Hides the option panel, or shows it with the page options filled again.
    void TB_ifoClick();

    // Preview. Opens or closes the pane (TB_Preplay's "Tag": 1 closed, 2 open).
    void TB_PreplayClick();
    // One frame: clears the frame on screen, then copies the next unit's ready picture; never renders.
    void TimerTimer();
    // The interval from the speed bar's position, for the timer and the caption.
    void PreView_SpeedBarChange();
    // Makes the interval the page speed, closes the preview and marks the document changed.
    void bsBtnPvOKClick();
    // Pauses the play, or goes on with it; played once to the last unit, it starts again.
    void togglePreviewPause();
    // While paused: shows the unit `delta` places away, wrapping at the ends.
    void stepPreview(int delta);

    // Cell editor. Opens it on the current unit in the film area's place, after the question about
    // the current unit's fields; closing it shows the film strip again with the unit current.
    void openCellEditor();
    void closeCellEditor();
    // Asks the colour dialog for one of the cell editor's chosen colours.
    void pickCellColor(int tag, TColor current);
    // While the cell editor is open it edits the current unit; with none left it closes.
    void cellEditorFollowsUnit();
    // While the cell editor is open an edit of the current unit shows in the status bar and in the
    // unit's fields (unless these hold changes of their own that were not applied).
    void showEditedUnit(int index);

    // The change notification: status texts, colour indicator and the current unit's fields.
    void RefreshCurrentUnit();
    // The film view asks for another unit: it becomes current once the question about the
    // current unit's fields lets the user go on.
    void selectUnit(int index);

private:
    void FormCreate(const QString& programDir);
    void buildToolBar();
    void buildClientArea();
    // The one place the changed mark is set or cleared; the history's clean state drives it.
    void setModified(bool modified);
    // A change the history does not hold: a setting the page or new units take, or a document
    // restored from a recovery copy. The mark stays until the document is saved or replaced.
    void markChangedOutsideHistory();
    // The title: the document's file name, the changed mark's place and the program's name.
    void updateTitle();
    // Enables the document buttons from the unit count and whether the preview is open.
    void UpdateToolButtons();
    // Shows a document's file name in the file panel (bare name plus hint when it does not fit).
    void ShowFileName(const QString& name);
    // Opens (.mmt) or adds (.txt) an existing file named as the first argument; extensions are
    // compared case-sensitively.
    void OpenCommandLineFile();

    // Offers to save a modified document (Yes, No, Cancel); true when the command may go on. Nothing
    // is discarded here: the changed mark and the recovery copy go only once another document has
    // taken this one's place.
    bool SaveQuestion();
    // Offers to apply the current unit's text and colours when they hold changes that were not
    // applied (Yes, No, Cancel); true when the caller may go on: the changes were applied, or
    // dropped and the fields show the unit again. Asked before the current unit is left.
    bool UnappliedEditsQuestion();
    // Writes the document (the old file stays intact on failure) and makes `name` its file name.
    // Throws FileError.
    void SaveToFile(const QString& name);
    // Replaces the document by the file's units (at most 50), read whole before anything changes.
    // Throws FileError; the document is then as it was.
    void LoadFromFile(const QString& name);

    // The settings file, only when it exists: read during start-up (window place, language, page
    // colours and speed, speed bar, unit defaults, byte mode), written at close. A file that cannot
    // be read or written is reported; start-up and close go on. One that could not be read at
    // start-up is reported then only: the run keeps the built-in values and close leaves it alone.
    void LoadSettings(const QString& path);
    void SaveSettings(const QString& path);

    // Runs a file operation; a FileError or other failure is shown and false returned.
    bool reportErrors(const std::function<void()>& operation);
    // The save question's Yes: save under the document's name, or ask for one when it has none.
    void saveAsAnswered();
    // Both questions asked before the document is replaced or the window closed, in their order.
    bool mayLeaveDocument();
    // The document was replaced: its changed mark and recovery copy go with the old one.
    void forgetReplacedDocument();
    // True when `name` is the file of more than 50 records whose first 50 the document holds.
    bool holdsPartOf(const QString& name) const;
    // The command parts after their dialogs.
    void openDocument(const QString& name);
    bool addTextPage(const QString& name);
    // A text page was added to the document.
    void textPageAdded();
    QString exportProposal() const;
    // Starts the recovery copies and offers those a crashed run left; true when one was restored.
    bool startAutoSave();
    void restoreCopy(const QString& copy, const QString& documentName);
    // The document was saved: its present state is the clean state.
    void documentSaved();
    // Checks for the unit limit and the question about the current unit's fields before a unit
    // command that makes units; true when it may go on.
    bool mayInsertUnits();
    // Copies the current unit to the clipboard after the question about its fields; false when
    // there is none or the question was cancelled.
    bool putCurrentUnitOnClipboard();
    // Inserts the units after the current unit as one step named `text`; returns how many fitted.
    int insertAfterCurrent(std::vector<std::unique_ptr<TAnsiImage>> units, const QString& text);
    void connectActions();
    void connectOptionPanel();
    void connectPreview();
    void closePreview();
    void connectCellEditor();
    // Clears the frame on screen and shows the unit at `index`; the timer takes its interval.
    void showPreviewFrame(int index);
    // How long the unit at `index` shows: its own duration, or the preview interval.
    int previewIntervalAt(int index) const;
    // Shows one message naming the characters; false when there were any.
    bool acceptEncodable(const QStringList& unencodable);
    // The current unit takes the fields; false when their text was refused.
    bool applyCurrentUnit();
    // Fills the current unit's fields from the current unit, or blank without one.
    void showCurrentUnitFields();

    // The document and the page writer, alive from start-up to the window's end. The writer holds
    // the template read at start-up; it is missing when the template could not be read.
    std::unique_ptr<TFilmPanel> FilmStrip;
    // Every change the editor makes to the document goes through it.
    std::unique_ptr<UndoHistory> m_history;
    std::unique_ptr<THtmFP> PageWriter;
    // The document's page options: colour texts and speed from the settings file, set by the page
    // options' confirm button and the preview's; the export writes the page with them.
    PageOptions pageOptions;
    std::int32_t PreviewInterval = 1000;
    QString LastTextFile;
    bool Modified = false;
    bool m_changedOutsideHistory = false;
    std::function<void(const QString&)> ShellOpenHook;
    // Keeps a recovery copy of the modified document in the user's private recovery folder; a
    // child of the window called "AutoSave".
    std::unique_ptr<AutoSaver> AutoSave;

    // The tool bar's commands (TB_open ... TB_help) and the widgets that show the document.
    EditorActions* m_actions;
    QToolBar* bsSkinToolBar4;
    QWidget* MainPanel;
    FilmView* ScrollBox;
    OptionPanel* pop_window;
    PreviewPanel* PreViewPanel;
    CellEditorPane* m_cellEditor;
    StatusPanels* bsSkinStatusBar1;
    QTimer* Timer;

    Prompts& m_prompts;
    QStringList m_args;
    QWidget* m_about = nullptr;
    DialogFolder m_dialogFolder;
    AnimationExportCommand* m_animationExport = nullptr; // a child of the window
    QString m_templateProblem;                           // why the page template could not be read, empty when it was
    bool m_settingsUnread = false;                       // the settings file was there but could not be read
    bool m_quietRefresh = false;
    // The file of which the document holds only the first 50 records; empty when it holds all.
    QString m_partialFile;
};

} // namespace quillet

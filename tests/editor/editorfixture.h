#pragma once

#include "mainwindow.h"
#include "scriptedprompts.h"

#include <QTemporaryDir>

#include <memory>

class QAction;
class QTimer;
class QToolBar;

namespace quillet {

class AutoSaver;
class FilmView;
class OptionPanel;
class PreviewPanel;
class StatusPanels;
class TFilmPanel;

// A program folder in a temporary directory (with a copy of the page template unless told
// otherwise), scripted prompts and the main window started on them. The window's state folder
// (XDG_STATE_HOME) is the folder "state" in there, so recovery copies stay out of the user's own.
class EditorFixture {
public:
    explicit EditorFixture(bool withTemplate = true);
    ~EditorFixture();

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<TForm_movie> window;
    QStringList shellOpened;

    QString programDir() const { return dir.path() + QStringLiteral("/"); }
    QString defaultDocument() const { return programDir() + QStringLiteral("new.mmt"); }
    QString stateDir() const { return programDir() + QStringLiteral("state"); }
    // The folder of recovery copies of a window this fixture starts, with a trailing "/".
    QString recoveryDir() const { return stateDir() + QStringLiteral("/quillet/recovery/"); }
    // Starts the window with these command-line arguments.
    TForm_movie& start(const QStringList& args = {});

    // Writes a file below the program folder (sub-folders are created) and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    // A text page of `rows` lines of `cols` letters each.
    QString textPage(const QString& name, int rows = 3, int cols = 10) const;
    // An animation file of `records` units, unit k saying "unit k".
    QString animationFile(const QString& name, int records) const;
    // Adds text pages through the add command, answering its dialog.
    void addPages(int count, int rows = 3);
    // Saves the document through the save command under a new file below the program folder,
    // which clears the changed mark; returns the file's path.
    QString saveAs(const QString& name);
    // Writes the document's page through the export command as "page.htm" in the program folder
    // (replacing an earlier one) and returns the page; "(no page)" when none was written.
    QByteArray exportPage();

    QString status0() const;
    QString status1() const;
};

// The question a start asks when a run that crashed left a recovery copy.
inline const QString kRecoveryQuestion = QStringLiteral("上次运行未正常结束，是否恢复自动保存的动画？");

// The window's parts, found by their object names; a missing one ends the test run.
QAction& action(const TForm_movie& window, const char* name);
QToolBar& toolBar(const TForm_movie& window);
OptionPanel& optionPanel(const TForm_movie& window);
PreviewPanel& previewPanel(const TForm_movie& window);
StatusPanels& statusBar(const TForm_movie& window);
FilmView& filmView(const TForm_movie& window);
QWidget& mainPanel(const TForm_movie& window);
QTimer& previewTimer(const TForm_movie& window);
AutoSaver& autoSaver(const TForm_movie& window);

// Triggers the action of that name, as its button or key does (nothing while it is disabled).
void trigger(const TForm_movie& window, const char* name);
// One tick of the preview's timer.
void previewTick(const TForm_movie& window);
// The preview interval in milliseconds, as the speed caption shows it.
int previewInterval(const TForm_movie& window);
// Makes the unit current with the film view's arrow keys, as a user does; stops early when the
// window keeps the current unit.
void selectUnit(const TForm_movie& window, int index);

// Drags a file onto the window and drops it there, as the desktop does.
void dropFile(TForm_movie& window, const QString& path);
// A file's bytes; empty when it cannot be read.
QByteArray fileContents(const QString& path);
// The strip's units as the records a save writes, in order.
QByteArray stripRecords(const TFilmPanel& strip);

} // namespace quillet

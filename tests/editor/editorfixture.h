#pragma once

#include "mainwindow.h"
#include "scriptedprompts.h"

#include <QTemporaryDir>

#include <memory>

namespace quillet {

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

    QString status0() const;
    QString status1() const;
};

// The question a start asks when a run that crashed left a recovery copy.
inline const QString kRecoveryQuestion = QStringLiteral("上次运行未正常结束，是否恢复自动保存的动画？");

// Drags a file onto the window and drops it there, as the desktop does.
void dropFile(TForm_movie& window, const QString& path);
// A file's bytes; empty when it cannot be read.
QByteArray fileContents(const QString& path);
// The strip's units as the records a save writes, in order.
QByteArray stripRecords(const TFilmPanel& strip);

} // namespace quillet

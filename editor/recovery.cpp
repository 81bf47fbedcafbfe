#include "mainwindow.h"

#include "autosave.h"
#include "filmpanel.h"
#include "privatefolder.h"
#include "prompts.h"
#include "runvalues.h"
#include "statuspanels.h"
#include "undohistory.h"

#include <QCoreApplication>

namespace quillet {

namespace {

const char* const kRecoveryQuestion =
    QT_TRANSLATE_NOOP("quillet::TForm_movie", "上次运行未正常结束，是否恢复自动保存的动画？");

QString recoveryQuestion(const RecoveryCopy& copy, const QString& documentName) {
    return QCoreApplication::translate("quillet::TForm_movie", kRecoveryQuestion) +
           QCoreApplication::translate("quillet::TForm_movie", "\n%1\n自动保存于 %2")
               .arg(documentName, copy.written.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
}

} // namespace

bool TForm_movie::startAutoSave() {
    AutoSave = std::make_unique<AutoSaver>(
        *FilmStrip, [this] { return Modified; }, RecoveryFolder(), this);
    AutoSave->setObjectName(QStringLiteral("AutoSave"));
    connect(AutoSave.get(), &AutoSaver::failed, this,
            [this](const QString& text) { bsSkinStatusBar1->showMessage(text, 10000); });
    AutoSave->start();

    const QString defaultName = Run().ProgramDir + Run().DefaultFileName;
    std::vector<RecoveryCopy> copies = AutoSave->claimLeftovers();
    for (RecoveryCopy& copy : copies) {
        const QString name = copy.documentName.isEmpty() ? defaultName : copy.documentName;
        if (!m_prompts.confirm(recoveryQuestion(copy, name))) {
            AutoSaver::removeLeftover(copy);
            continue;
        }
        // An unreadable copy is reported and stays for a later look.
        if (!reportErrors([&] { restoreCopy(copy.path, name); })) continue;
        // The leftover goes only once this run's own copy holds the document.
        if (AutoSave->saveNow()) AutoSaver::removeLeftover(copy);
        // Older leftovers stay for the next start.
        return true;
    }
    return false;
}

void TForm_movie::restoreCopy(const QString& copy, const QString& documentName) {
    LoadFromFile(copy);
    FilmStrip->SetDocFileName(documentName);
    updateTitle();
    if (documentName == Run().ProgramDir + Run().DefaultFileName)
        bsSkinStatusBar1->showPlainFileName(Run().DefaultFileName);
    else
        ShowFileName(documentName);
    // The restored units are where the history begins; they differ from the file they belong to.
    m_history->clear();
    markChangedOutsideHistory();
    UpdateToolButtons();
}

} // namespace quillet

#include "mainwindow.h"

#include "animationfile.h"
#include "autosave.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "pagewriter.h"
#include "pathcheck.h"
#include "prompts.h"
#include "runvalues.h"
#include "statuspanels.h"
#include "undohistory.h"

#include <QAction>
#include <QFileInfo>

namespace quillet {

namespace {

const char* const kAnimationFilter = QT_TRANSLATE_NOOP("quillet::TForm_movie", "动画文本(mmt) (*.mmt)");
const char* const kMissingFileText = QT_TRANSLATE_NOOP("quillet::TForm_movie", "文件不存在");
const char* const kUnitLimitText = QT_TRANSLATE_NOOP("quillet::TForm_movie", "已到达单元数上限");
const char* const kSaveQuestion = QT_TRANSLATE_NOOP("quillet::TForm_movie", "是否保存当前动画文件？");
const char* const kDropRecordsQuestion = QT_TRANSLATE_NOOP(
    "quillet::TForm_movie", "%1中的单元多于50个，只打开了前50个。覆盖它将丢失第50个以后的单元，是否仍然覆盖？");

QString defaultDocument() {
    return Run().ProgramDir + Run().DefaultFileName;
}

// A chosen name that is missing or not a plain file cannot be opened or added. Throws FileError
// when the system cannot tell whether it is there: that is no missing file.
bool isExistingFile(const QString& name) {
    return PathExists(name) && QFileInfo(name).isFile();
}

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    const QFileInfo left(a);
    const QFileInfo right(b);
    if (left.absoluteFilePath() == right.absoluteFilePath()) return true;
    return left.exists() && right.exists() && left.canonicalFilePath() == right.canonicalFilePath();
}

} // namespace

void TForm_movie::saveAsAnswered() {
    if (FilmStrip->docFileName() == defaultDocument()) {
        TB_save1Click();
        return;
    }
    // Declining to drop the records the document does not hold offers another name instead.
    if (holdsPartOf(FilmStrip->docFileName()) &&
        !m_prompts.confirmDefaultNo(tr(kDropRecordsQuestion).arg(FilmStrip->docFileName()))) {
        TB_save1Click();
        return;
    }
    if (reportErrors([this] { SaveToFile(FilmStrip->docFileName()); })) documentSaved();
}

void TForm_movie::documentSaved() {
    m_changedOutsideHistory = false;
    m_history->setClean();
    setModified(false);
}

bool TForm_movie::holdsPartOf(const QString& name) const {
    return sameFile(name, m_partialFile);
}

bool TForm_movie::SaveQuestion() {
    // An emptied document is not offered for saving.
    if (!Modified || FilmStrip->count() == 0) return true;
    switch (m_prompts.question(tr(kSaveQuestion))) {
    case Prompts::Answer::Yes:
        saveAsAnswered();
        return !Modified;
    case Prompts::Answer::No:
        return true;
    case Prompts::Answer::Cancel:
        break;
    }
    return false;
}

bool TForm_movie::mayLeaveDocument() {
    return UnappliedEditsQuestion() && SaveQuestion();
}

void TForm_movie::forgetReplacedDocument() {
    // The history's steps belong to the old document.
    m_history->clear();
    m_changedOutsideHistory = false;
    setModified(false);
    if (AutoSave) AutoSave->discard();
}

void TForm_movie::TB_NewClick() {
    if (!mayLeaveDocument()) return;
    FilmStrip->ClearUnits();
    FilmStrip->SetDocFileName(defaultDocument());
    updateTitle();
    m_partialFile.clear();
    forgetReplacedDocument();
    bsSkinStatusBar1->showPlainFileName(Run().DefaultFileName);
    UpdateToolButtons();
    RefreshCurrentUnit();
}

void TForm_movie::TB_openClick() {
    if (!mayLeaveDocument()) return;
    const QString proposed =
        FilmStrip->docFileName().isEmpty() ? QStringLiteral("*.mmt") : m_dialogFolder.place(FilmStrip->docFileName());
    const QString name = m_prompts.openFileName(tr("打开文件"), m_dialogFolder.path(), proposed, tr(kAnimationFilter));
    if (name.isEmpty()) return;
    m_dialogFolder.remember(name);
    bool existing = false;
    if (!reportErrors([&] { existing = isExistingFile(name); })) return;
    if (!existing) {
        m_prompts.message(tr(kMissingFileText));
        return;
    }
    openDocument(name);
}

void TForm_movie::openDocument(const QString& name) {
    // A file that cannot be read leaves the old document as it was, changes and all.
    if (reportErrors([&] { LoadFromFile(name); })) forgetReplacedDocument();
    UpdateToolButtons();
}

void TForm_movie::TB_save1Click() {
    // The default document's name lies in the program's folder; it is proposed where the user works.
    QString name = FilmStrip->docFileName() == defaultDocument() ? m_dialogFolder.place(defaultDocument())
                                                                 : FilmStrip->docFileName();
    for (;;) {
        name = m_prompts.saveFileName(tr("保存文件"), name, tr(kAnimationFilter), QStringLiteral("mmt"));
        if (name.isEmpty()) return;
        m_dialogFolder.remember(name);
        // The file the document holds only part of has a question of its own; No leaves it and asks
        // for another name.
        if (holdsPartOf(name)) {
            if (m_prompts.confirmDefaultNo(tr(kDropRecordsQuestion).arg(name))) break;
            continue;
        }
        if (QFileInfo::exists(name) && !m_prompts.confirm(ReplaceQuestion(name))) return;
        break;
    }
    if (reportErrors([&] { SaveToFile(name); })) documentSaved();
}

bool TForm_movie::mayInsertUnits() {
    if (FilmStrip->count() >= TFilmPanel::kMaxUnits) {
        m_prompts.message(tr(kUnitLimitText));
        return false;
    }
    // The new unit becomes current.
    return UnappliedEditsQuestion();
}

void TForm_movie::TB_AddImgClick() {
    if (!mayInsertUnits()) return;
    const QString proposed = LastTextFile.isEmpty() ? QString() : m_dialogFolder.place(LastTextFile);
    const QString name =
        m_prompts.openFileName(tr("打开文件"), m_dialogFolder.path(), proposed, tr("Text Files (*.txt)"));
    if (name.isEmpty()) return;
    m_dialogFolder.remember(name);
    bool existing = false;
    if (!reportErrors([&] { existing = isExistingFile(name); })) return;
    if (!existing) {
        m_prompts.message(tr(kMissingFileText));
        return;
    }
    LastTextFile = name;
    if (addTextPage(name)) textPageAdded();
}

void TForm_movie::textPageAdded() {
    UpdateToolButtons();
    RefreshCurrentUnit();
}

bool TForm_movie::addTextPage(const QString& name) {
    // The unit is read whole before the document changes; a file that cannot be read changes nothing.
    ImportReport report;
    std::unique_ptr<TAnsiImage> unit = FilmStrip->NewUnit();
    if (!reportErrors([&] { report = unit->LoadFromTextFile(name); })) return false;
    std::vector<std::unique_ptr<TAnsiImage>> units;
    units.push_back(std::move(unit));
    // Pages are added at the end of the strip.
    m_history->insertUnits(FilmStrip->count(), std::move(units), tr("添加文字页"));
    if (report.colorListFailed) m_prompts.message(QString::fromLatin1(kColorListErrorText));
    return true;
}

void TForm_movie::TB_delect1Click() {
    if (FilmStrip->count() == 0) return;
    if (!m_prompts.confirm(tr("确实要删除当前单元吗？"))) return;
    m_history->removeUnits(FilmStrip->currentIndex(), 1, tr("删除单元"));
    UpdateToolButtons();
    RefreshCurrentUnit();
}

void TForm_movie::TB_up1Click(QObject* sender) {
    if (FilmStrip->count() == 0) return;
    // The fields are filled again from the moved unit.
    if (!UnappliedEditsQuestion()) return;
    const int tag = sender ? sender->property("Tag").toInt() : 0;
    const int index = FilmStrip->currentIndex();
    // The moved unit stays current.
    if (tag == 1 && !m_history->moveUnit(index, true))
        m_prompts.message(tr("已经最顶"));
    else if (tag == 2 && !m_history->moveUnit(index, false))
        m_prompts.message(tr("已经最底"));
}

void TForm_movie::SaveToFile(const QString& name) {
    WriteAnimationFile(name, *FilmStrip);
    FilmStrip->SetDocFileName(name);
    updateTitle();
    // The file holds the whole document now, or the document belongs to another file.
    m_partialFile.clear();
    // The file now holds what the recovery copy held.
    if (AutoSave) AutoSave->discard();
    ShowFileName(name);
}

void TForm_movie::LoadFromFile(const QString& name) {
    const AnimationRecords records = ReadAnimationFile(name, TFilmPanel::kMaxUnits);
    // Each appended unit becomes current in turn; the fields are refreshed once, for the last.
    m_quietRefresh = true;
    FilmStrip->ReplaceUnits(MakeRecordUnits(*FilmStrip, records, TFilmPanel::kMaxUnits));
    m_quietRefresh = false;
    RefreshCurrentUnit();
    if (records.notAllRead()) m_prompts.message(QString::fromLatin1(kNotAllDataText));
    if (!records.notice.isEmpty()) m_prompts.message(records.notice);
    m_partialFile = records.notAllRead() ? name : QString();
    FilmStrip->SetDocFileName(name);
    updateTitle();
    ShowFileName(name);
}

QString TForm_movie::exportProposal() const {
    const QString document = FilmStrip->docFileName().isEmpty() || FilmStrip->docFileName() == defaultDocument()
                                 ? m_dialogFolder.place(defaultDocument())
                                 : FilmStrip->docFileName();
    const QFileInfo info(document);
    QString page = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".htm");
    if (page == document) page = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("_page.htm");
    return page;
}

void TForm_movie::TB_SaveHtmClick() {
    if (!m_templateProblem.isEmpty()) {
        m_prompts.message(tr("无法输出网页：找不到或无法读取网页模板文件 %1\n%2")
                              .arg(Run().ProgramDir + QStringLiteral("Script.txt"), m_templateProblem));
        return;
    }
    const QString name = m_prompts.saveFileName(tr("保存文件"), exportProposal(), QStringLiteral("*.htm (*.htm)"),
                                                QStringLiteral("htm"));
    if (name.isEmpty()) return;
    m_dialogFolder.remember(name);
    if (QFileInfo::exists(name) && !m_prompts.confirm(ReplaceQuestion(name))) return;
    if (reportErrors([this, &name] { PageWriter->WritePage(*FilmStrip, pageOptions, name); })) ShellOpenHook(name);
}

} // namespace quillet

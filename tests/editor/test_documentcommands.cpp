// The document commands driven with scripted answers: questions, notices, the modified flag and
// what reaches the disk.
#include "editorfixture.h"

#include "animationfile.h"
#include "autosave.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "filmview.h"
#include "optionpanel.h"
#include "pagewriter.h"
#include "statuspanels.h"
#include "unitrender.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillet;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

const QString kSaveQuestion = QStringLiteral("是否保存当前动画文件？");
const QString kDropRecordsQuestion =
    QStringLiteral("中的单元多于50个，只打开了前50个。覆盖它将丢失第50个以后的单元，是否仍然覆盖？");
const QString kOverwriteQuestion = QStringLiteral("已经存在，是否覆盖它？");

// Permissions do not stop root: while one lives, a test run as root acts as "nobody", whom they stop.
class AsPlainUser {
public:
    AsPlainUser() : m_switched(::geteuid() == 0 && ::seteuid(65534) == 0) {}
    ~AsPlainUser() {
        if (m_switched && ::seteuid(0) != 0) qFatal("cannot become root again: %s", std::strerror(errno));
    }
    AsPlainUser(const AsPlainUser&) = delete;
    AsPlainUser& operator=(const AsPlainUser&) = delete;
    bool ready() const { return m_switched || ::geteuid() != 0; }

private:
    bool m_switched;
};

// The kinds of the prompts shown ("question", "save", ...), in order.
QStringList promptKinds(const ScriptedPrompts& prompts) {
    QStringList kinds;
    for (const QString& entry : prompts.log)
        kinds << entry.section(QLatin1Char(':'), 0, 0);
    return kinds;
}

} // namespace

class DocumentCommands : public QObject {
    Q_OBJECT
private slots:
    void addAppendsAndMarksModified();
    void addAtTheLimitShowsNoDialog();
    void addReportsMissingFilesAndBadColourLists();
    void addOfAFolderOrUnreadableTextLeavesTheDocument();
    void deleteAsksAndLeavesAnEmptyDocument();
    void moveAtBothEndsAndInTheMiddle();
    void newAndOpenAskNothingWhenCleanOrEmpty();
    void saveQuestionKeepsTheDocumentUntilAnotherReplacesIt_data();
    void saveQuestionKeepsTheDocumentUntilAnotherReplacesIt();
    void saveQuestionYesWithANameSavesWithoutDialog();
    void emptiedDocumentIsLeftWithoutQuestion();
    void saveAsksBeforeOverwritingOnce();
    void saveFailureKeepsTheDocumentModified();
    void saveOverAnEntryThatIsNoFileIsRefused();
    void openReadsEmptyLongAndRandomFiles();
    void durationsAreSavedOpenedAndExported();
    void openOfAMissingOrReadOnlyFile();
    void openOfSomethingShorterThanOneRecordKeepsTheDocument();
    void savingOverAPartlyOpenedFileAsksFirst_data();
    void savingOverAPartlyOpenedFileAsksFirst();
    void partlyOpenedFileIsForgottenWithTheDocument();
    void openWithChineseAndBlankPath();
    void openOrAddBehindAFolderThatMayNotBeSearched();
    void exportProposesThePageNameAndAsksBeforeReplacing();
    void exportWithoutTemplateNamesTheMissingFile();
    void exportsAnimationsOfTheChosenFormat();
    void dialogsStartInTheFolderLastUsed();
};

void DocumentCommands::addAppendsAndMarksModified() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2, 4);
    QCOMPARE(w.document().count(), 2);
    QCOMPARE(w.document().currentIndex(), 1);
    QVERIFY(w.isModified());
    QCOMPARE(f.status0(), QStringLiteral("单元：2/2"));
    QCOMPARE(f.status1(), QStringLiteral("尺寸：10×4"));
    QCOMPARE(optionPanel(w).MemoText->toPlainText(), QStringLiteral("aaaaaaaaaa\nbbbbbbbbbb\ncccccccccc\ndddddddddd"));
    QVERIFY(optionPanel(w).Box_AImg->isEnabled());
    QCOMPARE(f.prompts.openCalls.last().proposed, f.programDir() + QStringLiteral("pages/page0.txt"));
    QCOMPARE(f.prompts.openCalls.last().filter, QStringLiteral("Text Files (*.txt)"));
    // The new unit goes to the end even when an earlier one is current; the dialog proposes the
    // text file added last.
    selectUnit(w, 0);
    f.addPages(1);
    QCOMPARE(f.prompts.openCalls.last().proposed, f.programDir() + QStringLiteral("pages/page1.txt"));
    QCOMPARE(w.document().currentIndex(), 2);
    QCOMPARE(f.status0(), QStringLiteral("单元：3/3"));
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::addAtTheLimitShowsNoDialog() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(TFilmPanel::kMaxUnits, 1);
    QCOMPARE(w.document().count(), 50);
    QCOMPARE(f.status0(), QStringLiteral("单元：50/50"));
    f.prompts.clearLog();
    trigger(w, "TB_AddImg");
    QCOMPARE(f.prompts.log, QStringList{QStringLiteral("message: 已到达单元数上限")});
    QCOMPARE(w.document().count(), 50);
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::addReportsMissingFilesAndBadColourLists() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.prompts.openNames << f.programDir() + QStringLiteral("gone.txt") << QString();
    trigger(w, "TB_AddImg");
    trigger(w, "TB_AddImg");
    QCOMPARE(f.prompts.shown("message"), QStringList{QStringLiteral("文件不存在")});
    QCOMPARE(w.document().count(), 0);
    QVERIFY(!w.isModified());

    const QString page = f.textPage(QStringLiteral("coloured.txt"));
    f.writeFile(QStringLiteral("coloured.clo"), "not a colour list\r\n");
    f.prompts.openNames << page;
    trigger(w, "TB_AddImg");
    QCOMPARE(f.prompts.shown("message").last(), QStringLiteral("FileOpenError!"));
    QCOMPARE(w.document().count(), 1);
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::addOfAFolderOrUnreadableTextLeavesTheDocument() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    f.saveAs(QStringLiteral("saved.mmt"));
    const QString folder = f.programDir() + QStringLiteral("folder.txt");
    QDir().mkpath(folder);
    f.prompts.openNames << folder;
    trigger(w, "TB_AddImg");
    QCOMPARE(f.prompts.shown("message"), QStringList{QStringLiteral("文件不存在")});
    QCOMPARE(w.document().count(), 1);
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::deleteAsksAndLeavesAnEmptyDocument() {
    EditorFixture f;
    TForm_movie& w = f.start();
    trigger(w, "TB_delect");
    QVERIFY(f.prompts.log.isEmpty());

    f.addPages(2);
    f.saveAs(QStringLiteral("saved.mmt"));
    f.prompts.confirms << false;
    trigger(w, "TB_delect");
    QCOMPARE(w.document().count(), 2);
    QVERIFY(!w.isModified());

    f.prompts.confirms << true << true;
    trigger(w, "TB_delect");
    QCOMPARE(f.status0(), QStringLiteral("单元：1/1"));
    trigger(w, "TB_delect");
    QCOMPARE(f.prompts.shown("confirm"), QStringList(3, QStringLiteral("确实要删除当前单元吗？")));
    QVERIFY(w.isModified());
    QCOMPARE(f.status0(), QStringLiteral("单元：0/0"));
    QCOMPARE(f.status1(), QStringLiteral("尺寸：0x0"));
    QCOMPARE(optionPanel(w).Edit_color_u1->text(), QStringLiteral("FFFFFF"));
    QCOMPARE(optionPanel(w).Edit_color_u2->text(), QStringLiteral("000000"));
    QVERIFY(optionPanel(w).MemoText->toPlainText().isEmpty());
    QVERIFY(!optionPanel(w).Box_AImg->isEnabled());
    QVERIFY(!action(w, "TB_delect").isEnabled());
    QVERIFY(!action(w, "TB_save").isEnabled());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::moveAtBothEndsAndInTheMiddle() {
    EditorFixture f;
    TForm_movie& w = f.start();
    trigger(w, "TB_up");
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.log.isEmpty());

    f.addPages(3, 1);
    const TFilmPanel& strip = w.document();
    f.saveAs(QStringLiteral("saved1.mmt"));
    trigger(w, "TB_down");
    QCOMPARE(f.prompts.shown("message"), QStringList{QStringLiteral("已经最底")});
    // A move refused at an end changes nothing: the changed mark follows the undo history.
    QVERIFY(!w.isModified());

    f.saveAs(QStringLiteral("saved2.mmt"));
    trigger(w, "TB_up");
    QCOMPARE(strip.currentIndex(), 1);
    QCOMPARE(strip.GetUnit(1).GetLines(), QList<QByteArray>{"aaaaaaaaaa"});
    QCOMPARE(strip.GetUnit(1).fileName(), f.programDir() + QStringLiteral("pages/page2.txt"));
    QCOMPARE(f.status0(), QStringLiteral("单元：2/3"));
    QVERIFY(w.isModified());
    QVERIFY(strip.GetUnit(1).top() > strip.GetUnit(0).top());

    trigger(w, "TB_up");
    QCOMPARE(strip.currentIndex(), 0);
    f.saveAs(QStringLiteral("saved3.mmt"));
    trigger(w, "TB_up");
    QCOMPARE(f.prompts.shown("message").last(), QStringLiteral("已经最顶"));
    QCOMPARE(strip.GetUnit(0).fileName(), f.programDir() + QStringLiteral("pages/page2.txt"));
    QVERIFY(!w.isModified());
}

void DocumentCommands::newAndOpenAskNothingWhenCleanOrEmpty() {
    EditorFixture f;
    TForm_movie& w = f.start();
    // Changed but emptied: nothing to lose.
    f.addPages(1);
    f.prompts.confirms << true;
    trigger(w, "TB_delect");
    QVERIFY(w.isModified());
    f.prompts.clearLog();
    trigger(w, "TB_New");
    QVERIFY(f.prompts.log.isEmpty());
    QCOMPARE(statusBar(w).bsSkinStatusPanel_4->text(), QStringLiteral("new.mmt"));

    f.addPages(1);
    f.saveAs(QStringLiteral("pages/new.mmt"));
    f.prompts.clearLog();
    f.prompts.openNames << QString();
    trigger(w, "TB_open");
    QCOMPARE(f.prompts.log, QStringList{QStringLiteral("open: 动画文本(mmt) (*.mmt)")});
    QCOMPARE(f.prompts.openCalls.last().proposed, f.programDir() + QStringLiteral("pages/new.mmt"));
    QCOMPARE(f.prompts.openCalls.last().title, QStringLiteral("打开文件"));

    trigger(w, "TB_New");
    QCOMPARE(w.document().count(), 0);
    QCOMPARE(w.document().docFileName(), f.defaultDocument());
    QCOMPARE(f.status0(), QStringLiteral("单元：0/0"));
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::saveQuestionKeepsTheDocumentUntilAnotherReplacesIt_data() {
    // What the save dialog and the open dialog answer: "-" when they must not be shown, "" to
    // cancel, otherwise a file in the program folder.
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveName");
    QTest::addColumn<QString>("openName");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<bool>("modified");
    const int yes = int(Prompts::Answer::Yes);
    const int no = int(Prompts::Answer::No);
    const int cancel = int(Prompts::Answer::Cancel);
    const QStringList question{QStringLiteral("question")};
    const QStringList save = question + QStringList{QStringLiteral("save")};
    const QStringList open{QStringLiteral("question"), QStringLiteral("open")};
    const QStringList saveAndOpen = save + QStringList{QStringLiteral("open")};
    // clang-format off
    QTest::newRow("new, Yes, saved") << "new" << yes << "film.mmt" << "-" << save << true << false;
    QTest::newRow("new, Yes, save cancelled") << "new" << yes << "" << "-" << save << false << true;
    QTest::newRow("new, No") << "new" << no << "-" << "-" << question << true << false;
    QTest::newRow("new, Cancel") << "new" << cancel << "-" << "-" << question << false << true;
    QTest::newRow("open, Yes, saved, opened") << "open" << yes << "film.mmt" << "other.mmt" << saveAndOpen << true << false;
    QTest::newRow("open, Yes, saved, open cancelled") << "open" << yes << "film.mmt" << "" << saveAndOpen << false << false;
    QTest::newRow("open, Yes, save cancelled") << "open" << yes << "" << "-" << save << false << true;
    QTest::newRow("open, No, opened") << "open" << no << "-" << "other.mmt" << open << true << false;
    QTest::newRow("open, No, open cancelled") << "open" << no << "-" << "" << open << false << true;
    QTest::newRow("open, Cancel") << "open" << cancel << "-" << "-" << question << false << true;
    // clang-format on
}

// The question offers Yes, No and Cancel. The old document, its changed mark and its recovery copy
// go only when another document takes its place; a save made on the way stays made.
void DocumentCommands::saveQuestionKeepsTheDocumentUntilAnotherReplacesIt() {
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(QString, saveName);
    QFETCH(QString, openName);
    QFETCH(QStringList, asked);
    QFETCH(bool, replaced);
    QFETCH(bool, modified);

    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2);
    const QString other = f.animationFile(QStringLiteral("other.mmt"), 3);
    QVERIFY(autoSaver(w).saveNow());
    f.prompts.clearLog();
    f.prompts.questions << Prompts::Answer(answer);
    const auto script = [&](QStringList& answers, const QString& name) {
        if (name != QLatin1String("-")) answers << (name.isEmpty() ? QString() : f.programDir() + name);
    };
    script(f.prompts.saveNames, saveName);
    script(f.prompts.openNames, openName);
    if (command == QLatin1String("new"))
        trigger(w, "TB_New");
    else
        trigger(w, "TB_open");

    QCOMPARE(promptKinds(f.prompts), asked);
    QCOMPARE(f.prompts.log.first(), QStringLiteral("question: ") + kSaveQuestion);
    for (const ScriptedPrompts::FileDialogCall& call : f.prompts.saveCalls) {
        QCOMPARE(call.title, QStringLiteral("保存文件"));
        QCOMPARE(call.proposed, f.programDir() + QStringLiteral("pages/new.mmt"));
        QCOMPARE(call.suffix, QStringLiteral("mmt"));
    }
    const QString saved = f.programDir() + QStringLiteral("film.mmt");
    const bool wasSaved = saveName == QLatin1String("film.mmt");
    if (wasSaved)
        QCOMPARE(contents(saved).size(), 2 * kRecordSize);
    else
        QVERIFY(!QFile::exists(saved));

    const bool isNew = command == QLatin1String("new");
    const int count = replaced ? (isNew ? 0 : 3) : 2;
    QCOMPARE(w.document().count(), count);
    QCOMPARE(f.status0(), QStringLiteral("单元：%1/%1").arg(count));
    const QString name = replaced ? (isNew ? f.defaultDocument() : other) : (wasSaved ? saved : f.defaultDocument());
    QCOMPARE(w.document().docFileName(), name);
    QCOMPARE(w.isModified(), modified);
    QCOMPARE(QFileInfo::exists(autoSaver(w).copyPath()), modified);
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::saveQuestionYesWithANameSavesWithoutDialog() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    const QString target = f.programDir() + QStringLiteral("film.mmt");
    f.prompts.saveNames << target;
    trigger(w, "TB_save");
    QVERIFY(!w.isModified());
    QCOMPARE(w.document().docFileName(), target);

    f.addPages(1);
    f.prompts.clearLog();
    f.prompts.questions << Prompts::Answer::Yes;
    f.prompts.openNames << QString();
    trigger(w, "TB_open");
    QCOMPARE(f.prompts.log, (QStringList{QStringLiteral("question: ") + kSaveQuestion,
                                         QStringLiteral("open: 动画文本(mmt) (*.mmt)")}));
    QCOMPARE(contents(target).size(), 2 * kRecordSize);
    QVERIFY(!w.isModified());
    QCOMPARE(w.document().count(), 2);
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::emptiedDocumentIsLeftWithoutQuestion() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    f.prompts.confirms << true;
    trigger(w, "TB_delect");
    QVERIFY(w.isModified());
    // Nothing is offered for saving, and the opened document is not marked changed.
    const QString film = f.animationFile(QStringLiteral("film.mmt"), 2);
    f.prompts.clearLog();
    f.prompts.openNames << film;
    trigger(w, "TB_open");
    QCOMPARE(f.prompts.shown("confirm"), QStringList());
    QCOMPARE(w.document().count(), 2);
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::saveAsksBeforeOverwritingOnce() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    const QString target = f.writeFile(QStringLiteral("old.mmt"), "old bytes");
    f.prompts.saveNames << target;
    f.prompts.confirms << false;
    trigger(w, "TB_save");
    QCOMPARE(f.prompts.shown("confirm"), QStringList{target + QStringLiteral("已经存在，是否覆盖它？")});
    QCOMPARE(contents(target), QByteArray("old bytes"));
    QVERIFY(w.isModified());
    QCOMPARE(w.document().docFileName(), f.defaultDocument());

    f.prompts.saveNames << target;
    f.prompts.confirms << true;
    trigger(w, "TB_save");
    QCOMPARE(contents(target).size(), kRecordSize);
    QVERIFY(!w.isModified());
    QCOMPARE(w.document().docFileName(), target);
    QCOMPARE(statusBar(w).bsSkinStatusPanel_4->text().right(7), QStringLiteral("old.mmt"));
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::saveFailureKeepsTheDocumentModified() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    f.prompts.saveNames << f.programDir() + QStringLiteral("no such folder/film.mmt");
    trigger(w, "TB_save");
    QCOMPARE(f.prompts.shown("critical").size(), 1);
    QVERIFY(f.prompts.shown("critical").first().contains(QStringLiteral("no such folder/film.mmt")));
    QVERIFY(w.isModified());
    QCOMPARE(w.document().docFileName(), f.defaultDocument());

    // At the save question a failed save stops the command: the document's file was saved in a
    // folder that is gone since.
    QDir().mkpath(f.programDir() + QStringLiteral("gone"));
    const QString gone = f.saveAs(QStringLiteral("gone/film.mmt"));
    QVERIFY(QDir(f.programDir() + QStringLiteral("gone")).removeRecursively());
    f.addPages(1);
    f.prompts.questions << Prompts::Answer::Yes;
    trigger(w, "TB_New");
    QCOMPARE(f.prompts.shown("critical").size(), 2);
    QCOMPARE(w.document().count(), 2);
    QCOMPARE(w.document().docFileName(), gone);
    QVERIFY(w.isModified());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::saveOverAnEntryThatIsNoFileIsRefused() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    const QString pipe = f.programDir() + QStringLiteral("pipe.mmt");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    f.prompts.saveNames << pipe;
    f.prompts.confirms << true;
    trigger(w, "TB_save");
    QCOMPARE(f.prompts.shown("critical"),
             QStringList{pipe + QStringLiteral(": not a regular file: it is not replaced")});
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(pipe).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
    QVERIFY(w.isModified());
    QCOMPARE(w.document().docFileName(), f.defaultDocument());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::openReadsEmptyLongAndRandomFiles() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    f.saveAs(QStringLiteral("saved.mmt"));

    const QString empty = f.writeFile(QStringLiteral("empty.mmt"), QByteArray());
    f.prompts.openNames << empty;
    trigger(w, "TB_open");
    QCOMPARE(w.document().count(), 0);
    QCOMPARE(w.document().docFileName(), empty);
    QCOMPARE(f.status0(), QStringLiteral("单元：0/0"));
    QVERIFY(!action(w, "TB_save").isEnabled());
    QVERIFY(f.prompts.shown("message").isEmpty());

    const QString longFile = f.animationFile(QStringLiteral("long.mmt"), 51);
    f.prompts.openNames << longFile;
    trigger(w, "TB_open");
    QCOMPARE(w.document().count(), 50);
    QCOMPARE(f.prompts.shown("message"), QStringList{QStringLiteral("Not all data open!")});
    QCOMPARE(f.status0(), QStringLiteral("单元：50/50"));
    QCOMPARE(optionPanel(w).MemoText->toPlainText().split(QLatin1Char('\n')).first(), QStringLiteral("unit 49"));
    QVERIFY(!w.isModified());
    QVERIFY(action(w, "TB_SaveHtm").isEnabled());

    QByteArray noise(kRecordSize * 2 + 100, '\0');
    quint32 seed = 12345;
    for (char& c : noise) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    const QString random = f.writeFile(QStringLiteral("random.mmt"), noise);
    f.prompts.openNames << random;
    trigger(w, "TB_open");
    QCOMPARE(w.document().count(), 2);
    QCOMPARE(contents(random), noise);
    QCOMPARE(f.prompts.shown("message").size(), 1);
    QVERIFY(f.prompts.allAnswered());
}

// Units' own durations reach the file and the page and come back on opening; a file whose durations
// cannot be trusted opens with a notice, its units without durations.
void DocumentCommands::durationsAreSavedOpenedAndExported() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(3);
    selectUnit(w, 1);
    optionPanel(w).durationEdit->setText(QStringLiteral("250"));
    optionPanel(w).bsBtnPOK->click();
    const QString saved = f.saveAs(QStringLiteral("timed.mmt"));
    const QByteArray bytes = contents(saved);
    QCOMPARE(bytes.size(), 3 * kRecordSize + 8 + 4 + 4 + 3 * 4 + 4);
    QCOMPARE(bytes.mid(3 * kRecordSize, 8), QByteArray("QLTTIMES"));
    QVERIFY(f.exportPage().contains("var width=" + QByteArray::number(w.document().width()) +
                                    ";\r\nvar delays=[0,250,0];\r\n"));

    f.prompts.clearLog();
    f.prompts.openNames << saved;
    trigger(w, "TB_New");
    trigger(w, "TB_open");
    QCOMPARE(w.document().count(), 3);
    QCOMPARE(w.document().GetUnit(1).duration(), 250);
    QVERIFY(f.prompts.shown("message").isEmpty());
    selectUnit(w, 1);
    QCOMPARE(optionPanel(w).durationEdit->text(), QStringLiteral("250"));

    QByteArray damaged = bytes;
    damaged[damaged.size() - 1] = static_cast<char>(damaged.at(damaged.size() - 1) ^ 1);
    f.prompts.openNames << f.writeFile(QStringLiteral("damaged.mmt"), damaged);
    trigger(w, "TB_open");
    QCOMPARE(w.document().count(), 3);
    QCOMPARE(w.document().GetUnit(1).duration(), 0);
    QCOMPARE(f.prompts.shown("message"), QStringList{QString::fromUtf8(kDurationsDamagedText)});
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::openOfAMissingOrReadOnlyFile() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2);
    const QString saved = f.saveAs(QStringLiteral("saved.mmt"));
    const QString missing = f.programDir() + QStringLiteral("missing.mmt");
    f.prompts.openNames << missing;
    trigger(w, "TB_open");
    QCOMPARE(f.prompts.shown("message"), QStringList{QStringLiteral("文件不存在")});
    QVERIFY(!QFile::exists(missing));

    // A file that cannot be read as units: an error, the document as it was, no file created.
    const QString broken = f.writeFile(QStringLiteral("broken.mmt"), "short");
    f.prompts.openNames << broken;
    trigger(w, "TB_open");
    QCOMPARE(f.prompts.shown("critical").size(), 1);
    QCOMPARE(w.document().count(), 2);
    QCOMPARE(w.document().docFileName(), saved);
    QVERIFY(!w.isModified());
    QVERIFY(!QFile::exists(missing));
    f.prompts.clearLog();

    const QString readOnly = f.animationFile(QStringLiteral("readonly.mmt"), 3);
    const QByteArray before = contents(readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    f.prompts.openNames << readOnly;
    trigger(w, "TB_open");
    QCOMPARE(w.document().count(), 3);
    QCOMPARE(contents(readOnly), before);
    QCOMPARE(f.prompts.shown("critical"), QStringList());
    QVERIFY(f.prompts.allAnswered());
}

// Through the open dialog, a drop and the command line: a message that names the file, and the
// document, its name and its changed mark as they were.
void DocumentCommands::openOfSomethingShorterThanOneRecordKeepsTheDocument() {
    for (const QString& route : {QStringLiteral("dialog"), QStringLiteral("drop"), QStringLiteral("command line")}) {
        EditorFixture f;
        const QString notes = f.writeFile(QStringLiteral("笔记 本.mmt"), "hello\r\n");
        const bool atStart = route == QLatin1String("command line");
        TForm_movie& w = f.start(atStart ? QStringList{notes} : QStringList());
        if (!atStart) {
            f.addPages(2);
            QVERIFY(autoSaver(w).saveNow());
            f.prompts.clearLog();
            f.prompts.questions << Prompts::Answer::No;
            if (route == QLatin1String("dialog")) {
                f.prompts.openNames << notes;
                trigger(w, "TB_open");
            } else {
                dropFile(w, notes);
            }
        }
        const QStringList errors = f.prompts.shown(QStringLiteral("critical"));
        QVERIFY2(errors == QStringList{notes + QStringLiteral(": ") + QString::fromUtf8(kNotAnimationText)},
                 qPrintable(route + QStringLiteral(": ") + errors.join(QLatin1Char('|'))));
        QCOMPARE(w.document().count(), atStart ? 0 : 2);
        QCOMPARE(w.document().docFileName(), f.defaultDocument());
        QCOMPARE(statusBar(w).bsSkinStatusPanel_4->text(), QStringLiteral("new.mmt"));
        QCOMPARE(w.isModified(), !atStart);
        QCOMPARE(QFileInfo::exists(autoSaver(w).copyPath()), !atStart);
        QCOMPARE(contents(notes), QByteArray("hello\r\n"));
        QVERIFY(f.prompts.allAnswered());
    }
}

void DocumentCommands::savingOverAPartlyOpenedFileAsksFirst_data() {
    // Answers to the confirmations ('y' / 'n') and the save dialog ("" cancels), what was asked,
    // and how many records the long file and the file "copy.mmt" hold afterwards (0: no file).
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("confirms");
    QTest::addColumn<QStringList>("saveNames");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<int>("longRecords");
    QTest::addColumn<int>("copyRecords");
    const QString question = QStringLiteral("question");
    const QString drop = QStringLiteral("confirm-no");
    const QString save = QStringLiteral("save");
    const QString copy = QStringLiteral("copy.mmt");
    const QString longName = QStringLiteral("long.mmt");
    // clang-format off
    QTest::newRow("save question, keep, Save As cancelled") << "new" << "n" << QStringList{QString()} << QStringList{question, drop, save} << 51 << 0;
    QTest::newRow("save question, keep, saved as a copy") << "new" << "n" << QStringList{copy} << QStringList{question, drop, save} << 51 << 49;
    QTest::newRow("save question, drop") << "new" << "y" << QStringList() << QStringList{question, drop} << 49 << 0;
    QTest::newRow("save, keep, then drop") << "save" << "ny" << QStringList{longName, longName} << QStringList{save, drop, save, drop} << 49 << 0;
    QTest::newRow("save, keep, then a copy") << "save" << "n" << QStringList{longName, copy} << QStringList{save, drop, save} << 51 << 49;
    // clang-format on
}

// The document holds the first 50 records of a longer file: writing over that file asks whether
// the rest may go (No by default); No leaves the file and offers another name.
void DocumentCommands::savingOverAPartlyOpenedFileAsksFirst() {
    QFETCH(QString, command);
    QFETCH(QString, confirms);
    QFETCH(QStringList, saveNames);
    QFETCH(QStringList, asked);
    QFETCH(int, longRecords);
    QFETCH(int, copyRecords);

    EditorFixture f;
    TForm_movie& w = f.start();
    const QString longFile = f.animationFile(QStringLiteral("long.mmt"), 51);
    const QByteArray before = contents(longFile);
    f.prompts.openNames << longFile;
    trigger(w, "TB_open");
    QCOMPARE(f.prompts.shown(QStringLiteral("message")), QStringList{QStringLiteral("Not all data open!")});
    f.prompts.confirms << true;
    trigger(w, "TB_delect");
    QCOMPARE(w.document().count(), 49);
    f.prompts.clearLog();

    for (const QChar answer : confirms)
        f.prompts.confirms << (answer == QLatin1Char('y'));
    for (const QString& name : saveNames)
        f.prompts.saveNames << (name.isEmpty() ? QString() : f.programDir() + name);
    if (command == QLatin1String("new")) {
        f.prompts.questions << Prompts::Answer::Yes;
        trigger(w, "TB_New");
    } else {
        trigger(w, "TB_save");
    }
    QCOMPARE(promptKinds(f.prompts), asked);
    QCOMPARE(f.prompts.shown(QStringLiteral("confirm-no")).first(), longFile + kDropRecordsQuestion);
    for (const ScriptedPrompts::FileDialogCall& call : f.prompts.saveCalls)
        QCOMPARE(call.proposed, longFile);
    if (longRecords == 51)
        QCOMPARE(contents(longFile), before);
    else
        QCOMPARE(contents(longFile).size(), longRecords * kRecordSize);
    const QString copy = f.programDir() + QStringLiteral("copy.mmt");
    QCOMPARE(QFileInfo(copy).size(), qint64(copyRecords) * kRecordSize);
    const bool saved = longRecords != 51 || copyRecords != 0;
    QCOMPARE(w.isModified(), !saved);
    // The save question's command goes on only after a save.
    QCOMPARE(w.document().count(), command == QLatin1String("new") && saved ? 0 : 49);
    QVERIFY(f.prompts.allAnswered());
}

// Saving under another name, New and Open each leave a document that no longer belongs to the
// long file: writing over it then asks only whether to replace an existing file.
void DocumentCommands::partlyOpenedFileIsForgottenWithTheDocument() {
    for (const QString& step : {QStringLiteral("save as"), QStringLiteral("new"), QStringLiteral("open")}) {
        EditorFixture f;
        TForm_movie& w = f.start();
        const QString longFile = f.animationFile(QStringLiteral("long.mmt"), 51);
        const QString shortFile = f.animationFile(QStringLiteral("short.mmt"), 2);
        f.prompts.openNames << longFile;
        trigger(w, "TB_open");
        if (step == QLatin1String("save as")) {
            f.prompts.saveNames << f.programDir() + QStringLiteral("copy.mmt");
            trigger(w, "TB_save");
        } else if (step == QLatin1String("new")) {
            trigger(w, "TB_New");
            f.addPages(1);
        } else {
            f.prompts.openNames << shortFile;
            trigger(w, "TB_open");
        }
        f.prompts.clearLog();
        f.prompts.saveNames << longFile;
        f.prompts.confirms << true;
        trigger(w, "TB_save");
        QVERIFY2(f.prompts.log == (QStringList{QStringLiteral("save: 动画文本(mmt) (*.mmt)"),
                                               QStringLiteral("confirm: ") + longFile + kOverwriteQuestion}),
                 qPrintable(step + QStringLiteral(": ") + f.prompts.log.join(QLatin1Char('|'))));
        QCOMPARE(contents(longFile), stripRecords(w.document()));
        QVERIFY(f.prompts.allAnswered());
    }
}

void DocumentCommands::openWithChineseAndBlankPath() {
    EditorFixture f;
    TForm_movie& w = f.start();
    const QString name = f.animationFile(QStringLiteral("我的 动画/第 一.mmt"), 2);
    f.prompts.openNames << name;
    trigger(w, "TB_open");
    QCOMPARE(w.document().count(), 2);
    QCOMPARE(w.document().docFileName(), name);

    f.addPages(1);
    f.prompts.questions << Prompts::Answer::Yes; // saved under its own name, no dialog
    f.prompts.openNames << QString();
    trigger(w, "TB_open");
    QCOMPARE(contents(name).size(), 3 * kRecordSize);
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::openOrAddBehindAFolderThatMayNotBeSearched() {
    EditorFixture f;
    TForm_movie& w = f.start();
    const QString film = f.animationFile(QStringLiteral("locked/film.mmt"), 2);
    const QString page = f.textPage(QStringLiteral("locked/page.txt"));
    QFile::setPermissions(f.dir.path(), QFile::permissions(f.dir.path()) | QFile::ExeOther | QFile::ReadOther);
    QCOMPARE(::chmod(QFile::encodeName(f.programDir() + QStringLiteral("locked")).constData(), 0644), 0);
    f.prompts.openNames << film << page;
    {
        AsPlainUser plain;
        if (!plain.ready()) QSKIP("running as root and cannot act as another user");
        trigger(w, "TB_open");
        trigger(w, "TB_AddImg");
    }
    const QString denied = QString::fromLocal8Bit(std::strerror(EACCES));
    QCOMPARE(f.prompts.shown("critical"),
             (QStringList{film + QStringLiteral(": ") + denied, page + QStringLiteral(": ") + denied}));
    QCOMPARE(f.prompts.shown("message"), QStringList());
    QCOMPARE(w.document().count(), 0);
    QVERIFY(!w.isModified());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::exportProposesThePageNameAndAsksBeforeReplacing() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(3);
    const QString document = f.programDir() + QStringLiteral("film.mmt");
    f.prompts.saveNames << document;
    trigger(w, "TB_save");

    const QString page = f.programDir() + QStringLiteral("film.htm");
    f.prompts.saveNames << page;
    trigger(w, "TB_SaveHtm");
    const ScriptedPrompts::FileDialogCall call = f.prompts.saveCalls.last();
    QCOMPARE(call.proposed, page);
    QCOMPARE(call.suffix, QStringLiteral("htm"));
    QCOMPARE(call.filter, QStringLiteral("*.htm (*.htm)"));
    QVERIFY(contents(page).startsWith("<Html><head><TITLE>"));
    QVERIFY(contents(page).contains("var max_pics=3;"));
    QCOMPARE(f.shellOpened, QStringList{page});
    QCOMPARE(contents(document).size(), 3 * kRecordSize);
    QVERIFY(!w.isModified());

    // Replacing the page asks first; No leaves it.
    f.writeFile(QStringLiteral("film.htm"), "kept");
    f.prompts.saveNames << page;
    f.prompts.confirms << false;
    trigger(w, "TB_SaveHtm");
    QCOMPARE(f.prompts.shown("confirm"), QStringList{page + QStringLiteral("已经存在，是否覆盖它？")});
    QCOMPARE(contents(page), QByteArray("kept"));
    QCOMPARE(f.shellOpened.size(), 1);

    // Cancelling writes nothing.
    f.prompts.saveNames << QString();
    trigger(w, "TB_SaveHtm");
    QCOMPARE(f.shellOpened.size(), 1);
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::exportWithoutTemplateNamesTheMissingFile() {
    EditorFixture f(false);
    TForm_movie& w = f.start();
    QVERIFY(f.prompts.log.isEmpty());
    f.addPages(1);
    trigger(w, "TB_SaveHtm");
    QCOMPARE(f.prompts.shown("message").size(), 1);
    QVERIFY(f.prompts.shown("message").first().contains(f.programDir() + QStringLiteral("Script.txt")));
    QVERIFY(f.prompts.saveCalls.isEmpty());
    QVERIFY(f.shellOpened.isEmpty());
    QVERIFY(f.prompts.allAnswered());
}

// The animation's own decoders read it back in the image export's tests; here, the command's
// dialogs and what they choose.
void DocumentCommands::exportsAnimationsOfTheChosenFormat() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QVERIFY(!action(w, "actionExportAnimation").isEnabled());
    f.addPages(3);
    QVERIFY(action(w, "actionExportAnimation").isEnabled());
    f.saveAs(QStringLiteral("film.mmt"));
    const TAnsiImage& first = w.document().GetUnit(0);
    const QImage firstArea = RenderUnitPicture(first).copy(first.TextArea());

    // GIF at scale 2: the file proposed beside the document, with the format's extension. The
    // pictures it needs are drawn for it alone: the views' cache keeps none of them.
    const QString gif = f.programDir() + QStringLiteral("film.gif");
    f.prompts.animationChoices << AnimationChoice{0, {2, LoopMode::PingPong}};
    f.prompts.saveNames << gif;
    QCoreApplication::processEvents();
    const TFilmPanel none;
    filmView(w).pictures().retainOnly(none);
    trigger(w, "actionExportAnimation");
    QCOMPARE(filmView(w).pictures().size(), 0);
    QCOMPARE(f.prompts.shown("animation"), QStringList{QStringLiteral("GIF WebP APNG")});
    const ScriptedPrompts::FileDialogCall call = f.prompts.saveCalls.last();
    QCOMPARE(call.proposed, gif);
    QCOMPARE(call.suffix, QStringLiteral("gif"));
    QCOMPARE(call.filter, QStringLiteral("*.gif (*.gif)"));
    const QByteArray gifBytes = contents(gif);
    QVERIFY(gifBytes.startsWith("GIF89a"));
    QCOMPARE(QSize(static_cast<uchar>(gifBytes[6]) | static_cast<uchar>(gifBytes[7]) << 8,
                   static_cast<uchar>(gifBytes[8]) | static_cast<uchar>(gifBytes[9]) << 8),
             firstArea.size() * 2);
    QVERIFY(!w.isModified());

    // APNG: its first frame, which any PNG reader shows, is the first unit's text area.
    const QString apng = f.programDir() + QStringLiteral("film.png");
    f.prompts.animationChoices << AnimationChoice{2, {1, LoopMode::Once}};
    f.prompts.saveNames << apng;
    trigger(w, "actionExportAnimation");
    QCOMPARE(QImage(apng).convertToFormat(QImage::Format_RGB32), firstArea.convertToFormat(QImage::Format_RGB32));
    QVERIFY(contents(apng).contains("acTL"));

    // Replacing a file asks first, and No keeps it; cancelling the first dialog asks nothing more.
    f.writeFile(QStringLiteral("kept.webp"), "kept");
    f.prompts.animationChoices << AnimationChoice{1, {}} << std::nullopt;
    f.prompts.saveNames << f.programDir() + QStringLiteral("kept.webp");
    f.prompts.confirms << false;
    f.prompts.clearLog();
    trigger(w, "actionExportAnimation");
    trigger(w, "actionExportAnimation");
    QCOMPARE(promptKinds(f.prompts), (QStringList{"animation", "save", "confirm", "animation"}));
    QCOMPARE(contents(f.programDir() + QStringLiteral("kept.webp")), QByteArray("kept"));

    // A folder in the file's place is not replaced: the system's reason in an error box.
    const QString folder = f.programDir() + QStringLiteral("folder.webp");
    QVERIFY(QDir().mkpath(folder));
    f.prompts.animationChoices << AnimationChoice{1, {}};
    f.prompts.saveNames << folder;
    f.prompts.confirms << true;
    trigger(w, "actionExportAnimation");
    QCOMPARE(f.prompts.shown("critical").size(), 1);
    QVERIFY(f.prompts.shown("critical").first().startsWith(folder + QStringLiteral(": ")));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(f.prompts.allAnswered());
}

void DocumentCommands::dialogsStartInTheFolderLastUsed() {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", oldHome); });
    const QString homeDir = QDir(home.path()).absolutePath();

    // Before any choice every dialog starts at home, the default document proposed there.
    EditorFixture f;
    TForm_movie& w = f.start();
    f.prompts.openNames << QString() << QString();
    trigger(w, "TB_AddImg");
    trigger(w, "TB_open");
    for (const ScriptedPrompts::FileDialogCall& call : f.prompts.openCalls)
        QCOMPARE(call.folder, homeDir);
    QCOMPARE(f.prompts.openCalls.last().proposed, homeDir + QStringLiteral("/new.mmt"));
    f.prompts.openNames << f.textPage(QStringLiteral("texts/page.txt"));
    trigger(w, "TB_AddImg");
    f.prompts.saveNames << QString() << QString();
    trigger(w, "TB_SaveHtm");
    trigger(w, "TB_save");
    // The add dialog's choice is the folder the others start in now.
    const QString texts = f.programDir() + QStringLiteral("texts");
    QCOMPARE(f.prompts.saveCalls.at(0).proposed, texts + QStringLiteral("/new.htm"));
    QCOMPARE(f.prompts.saveCalls.at(1).proposed, texts + QStringLiteral("/new.mmt"));

    // A saved document is proposed under its own name; the open and add dialogs follow the save.
    const QString film = f.programDir() + QStringLiteral("films/film.mmt");
    QVERIFY(QDir().mkpath(QFileInfo(film).absolutePath()));
    f.prompts.saveNames << film;
    trigger(w, "TB_save");
    f.prompts.saveNames << QString();
    trigger(w, "TB_save");
    QCOMPARE(f.prompts.saveCalls.last().proposed, film);
    f.prompts.openNames << QString() << QString();
    trigger(w, "TB_open");
    QCOMPARE(f.prompts.openCalls.last().folder, QFileInfo(film).absolutePath());
    QCOMPARE(f.prompts.openCalls.last().proposed, film);
    trigger(w, "TB_AddImg");
    QCOMPARE(f.prompts.openCalls.last().proposed, QFileInfo(film).absolutePath() + QStringLiteral("/page.txt"));
    QVERIFY(f.prompts.allAnswered());
    for (const ScriptedPrompts::FileDialogCall& call : f.prompts.openCalls + f.prompts.saveCalls)
        QVERIFY2(!call.proposed.startsWith(f.programDir() + QStringLiteral("new.")), qPrintable(call.proposed));
}

QTEST_MAIN(DocumentCommands)
#include "test_documentcommands.moc"

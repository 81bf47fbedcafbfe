// Recovery copies of a modified document: when they are written and removed, and how a start after
// a crash offers them back.
#include "editorfixture.h"

#include "ansiimage.h"
#include "autosave.h"
#include "filmpanel.h"
#include "statuspanels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillet;

namespace {

// The recovery folder below the program folder, as EditorFixture::writeFile takes names.
const QString kRecovery = QStringLiteral("state/quillet/recovery/");

QStringList leftovers(const EditorFixture& f) {
    return QDir(f.recoveryDir()).entryList({QStringLiteral("*.mmt")}, QDir::Files);
}

// A copy as a run that crashed leaves it: the records, the side file with the document's name, no lock.
QByteArray plantLeftover(const EditorFixture& f, const QString& id, int units, const QString& documentName) {
    QByteArray bytes;
    for (int k = 0; k < units; ++k) {
        TAnsiImage unit;
        unit.Clear();
        unit.SetLines({QByteArray("left over ") + QByteArray::number(k), QByteArray("\xd6\xd0\xce\xc4")});
        bytes += unit.SaveToRecord();
    }
    f.writeFile(kRecovery + QStringLiteral("quillet-autosave-%1.mmt").arg(id), bytes);
    if (!documentName.isNull())
        f.writeFile(kRecovery + QStringLiteral("quillet-autosave-%1.name").arg(id), documentName.toUtf8());
    return bytes;
}

// The permission bits of the file or folder itself, not of what a link points to.
mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A real second user to give files to, when this test may do so (as root).
std::optional<uid_t> otherUser() {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr || nobody->pw_uid == ::getuid()) return std::nullopt;
    return nobody->pw_uid;
}

bool giveAway(const QString& path, uid_t user) {
    return ::lchown(QFile::encodeName(path).constData(), user, static_cast<gid_t>(-1)) == 0;
}

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Notes whether anything opens a FIFO for reading while the watch lives; a reader left waiting
// for a writer is let go, so that a test that fails still ends.
class FifoWatch {
public:
    explicit FifoWatch(const QString& path) : m_path(QFile::encodeName(path)), m_thread([this] { run(); }) {}
    ~FifoWatch() { stop(); }
    bool opened() {
        stop();
        return m_opened;
    }

private:
    void run() {
        while (!m_stop) {
            // A write end opens without waiting only while a reader has the FIFO open.
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                m_opened = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }

    QByteArray m_path;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_opened{false};
    std::thread m_thread;
};

} // namespace

class AutoSave : public QObject {
    Q_OBJECT
private slots:
    void modifiedDocumentIsCopiedAfterTheInterval();
    void cleanDocumentLeavesNoCopy();
    void savingOrDiscardingRemovesTheCopy();
    void cleanCloseRemovesTheCopyCancelKeepsIt();
    void unchangedDocumentIsNotWrittenAgain();
    void nameChangeAloneIsWrittenAgain();
    void copyNeverReplacesTheDocument();
    void failureIsNotedOnceWithoutDialog();
    void startOffersLeftoverAndYesRestoresIt();
    void startWithLeftoverAnsweredNoDeletesIt();
    void leftoversOfLiveRunsAreNotOffered();
    void locksOfCrashedRunsWithoutCopyAreCleared();
    void folderAndCopiesAreTheUsersAlone();
    void linksInTheFolderAreNeverWrittenThrough();
    void onlyTheUsersOwnRegularFilesAreOffered();
    void unsafeFolderTurnsAutosaveOff_data();
    void unsafeFolderTurnsAutosaveOff();
};

void AutoSave::modifiedDocumentIsCopiedAfterTheInterval() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QCOMPARE(autoSaver(w).interval(), 30000);
    autoSaver(w).setInterval(40);
    const QString copy = autoSaver(w).copyPath();
    QVERIFY(copy.startsWith(f.recoveryDir()));
    f.addPages(3);
    QVERIFY(!QFileInfo::exists(copy));
    QTRY_VERIFY(QFileInfo::exists(copy));
    QCOMPARE(fileContents(copy), stripRecords(w.document()));
    QCOMPARE(QString::fromUtf8(fileContents(autoSaver(w).namePath())), f.defaultDocument());
    QVERIFY(!QFileInfo::exists(f.defaultDocument()));
}

void AutoSave::cleanDocumentLeavesNoCopy() {
    EditorFixture f;
    // A page named on the command line leaves the document clean.
    TForm_movie& w = f.start({f.textPage(QStringLiteral("start.txt"))});
    QCOMPARE(w.document().count(), 1);
    QVERIFY(!w.isModified());
    autoSaver(w).setInterval(10);
    QTest::qWait(120);
    QVERIFY(autoSaver(w).saveNow());
    QVERIFY(leftovers(f).isEmpty());
}

void AutoSave::savingOrDiscardingRemovesTheCopy() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(2);
    QVERIFY(autoSaver(w).saveNow());
    QVERIFY(QFileInfo::exists(autoSaver(w).copyPath()));

    const QString saved = f.programDir() + QStringLiteral("动画 一.mmt");
    f.prompts.saveNames << saved;
    trigger(w, "TB_save");
    QVERIFY(!w.isModified());
    QVERIFY(leftovers(f).isEmpty());
    QVERIFY(!QFileInfo::exists(autoSaver(w).namePath()));
    QVERIFY(autoSaver(w).saveNow());
    QVERIFY(leftovers(f).isEmpty());

    // The copy now carries the saved name; answering No to the save question discards both.
    f.addPages(1);
    QVERIFY(autoSaver(w).saveNow());
    QCOMPARE(QString::fromUtf8(fileContents(autoSaver(w).namePath())), saved);
    f.prompts.questions << Prompts::Answer::No;
    trigger(w, "TB_New");
    QVERIFY(leftovers(f).isEmpty());
    QVERIFY(f.prompts.allAnswered());
}

void AutoSave::cleanCloseRemovesTheCopyCancelKeepsIt() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    QVERIFY(autoSaver(w).saveNow());
    f.prompts.questions << Prompts::Answer::Cancel;
    QVERIFY(!w.close());
    QVERIFY(QFileInfo::exists(autoSaver(w).copyPath()));
    f.prompts.questions << Prompts::Answer::No;
    QVERIFY(w.close());
    QVERIFY(leftovers(f).isEmpty());
    QVERIFY(f.prompts.allAnswered());
}

void AutoSave::unchangedDocumentIsNotWrittenAgain() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1, 2);
    f.addPages(1, 5);
    QVERIFY(autoSaver(w).saveNow());
    const QString copy = autoSaver(w).copyPath();
    QFile::remove(copy);
    f.writeFile(kRecovery + QFileInfo(copy).fileName(), "marker");
    QVERIFY(autoSaver(w).saveNow());
    QCOMPARE(fileContents(copy), QByteArray("marker"));
    // Any change to the units is written at the next chance.
    trigger(w, "TB_up");
    QVERIFY(autoSaver(w).saveNow());
    QCOMPARE(fileContents(copy), stripRecords(w.document()));
}

// The window changes the name only with a save, which ends the copy; the saver on its own also
// writes again for a new name with the same units.
void AutoSave::nameChangeAloneIsWrittenAgain() {
    QTemporaryDir dir;
    TFilmPanel strip;
    strip.SetDocFileName(dir.path() + QStringLiteral("/film.mmt"));
    AutoSaver saver(
        strip, [] { return true; }, dir.path() + QStringLiteral("/recovery"));
    QVERIFY(saver.start());
    QVERIFY(saver.saveNow());
    const QString copy = saver.copyPath();
    QFile marker(copy);
    QVERIFY(marker.open(QIODevice::WriteOnly | QIODevice::Truncate));
    marker.write("marker");
    marker.close();
    QVERIFY(saver.saveNow());
    QCOMPARE(fileContents(copy), QByteArray("marker")); // unchanged: not written again
    strip.SetDocFileName(dir.path() + QStringLiteral("/其他.mmt"));
    QVERIFY(saver.saveNow());
    QCOMPARE(fileContents(copy), stripRecords(strip));
    QCOMPARE(QString::fromUtf8(fileContents(saver.namePath())), strip.docFileName());
}

void AutoSave::copyNeverReplacesTheDocument() {
    EditorFixture f;
    TForm_movie& w = f.start();
    f.addPages(1);
    // A document opened from the recovery folder under this run's own copy name.
    const QString copy = autoSaver(w).copyPath();
    f.prompts.saveNames << copy;
    trigger(w, "TB_save");
    const QByteArray onDisk = fileContents(copy);
    f.addPages(1);
    QVERIFY(w.isModified());
    QVERIFY(!autoSaver(w).saveNow());
    QCOMPARE(fileContents(copy), onDisk);
    QVERIFY(!QFileInfo::exists(autoSaver(w).namePath()));
    QVERIFY(statusBar(w).currentMessage().startsWith(QStringLiteral("自动保存失败：")));
    QVERIFY(f.prompts.log.isEmpty() || !f.prompts.log.last().startsWith(QStringLiteral("critical")));
}

void AutoSave::failureIsNotedOnceWithoutDialog() {
    EditorFixture f;
    TForm_movie& w = f.start();
    QSignalSpy spy(&autoSaver(w), &AutoSaver::failed);
    f.addPages(1);
    // A folder where the copy should go: no write can succeed.
    QVERIFY(QDir().mkpath(autoSaver(w).copyPath()));
    f.prompts.clearLog();
    QVERIFY(!autoSaver(w).saveNow());
    QVERIFY(!autoSaver(w).saveNow());
    QCOMPARE(spy.count(), 1);
    QVERIFY(spy.first().first().toString().contains(QFileInfo(autoSaver(w).copyPath()).fileName()));
    QVERIFY(f.prompts.log.isEmpty());
    // Once a copy succeeds again, the next failure is noted again.
    QDir().rmdir(autoSaver(w).copyPath());
    QVERIFY(autoSaver(w).saveNow());
    f.addPages(1);
    QDir().remove(autoSaver(w).copyPath());
    QVERIFY(QDir().mkpath(autoSaver(w).copyPath()));
    QVERIFY(!autoSaver(w).saveNow());
    QCOMPARE(spy.count(), 2);
}

void AutoSave::startOffersLeftoverAndYesRestoresIt() {
    EditorFixture f;
    const QString name = f.programDir() + QStringLiteral("旧 动画.mmt");
    const QByteArray planted = plantLeftover(f, QStringLiteral("crashed"), 3, name);
    // A page on the command line is not added over a restored document.
    f.prompts.confirms << true;
    TForm_movie& w = f.start({f.textPage(QStringLiteral("start.txt"))});
    QCOMPARE(f.prompts.shown(QStringLiteral("confirm")).size(), 1);
    const QString asked = f.prompts.shown(QStringLiteral("confirm")).first();
    QVERIFY(asked.startsWith(kRecoveryQuestion));
    QVERIFY(asked.contains(name));
    QCOMPARE(w.document().count(), 3);
    QCOMPARE(stripRecords(w.document()), planted);
    QVERIFY(w.isModified());
    QCOMPARE(w.document().docFileName(), name);
    QCOMPARE(f.status0(), QStringLiteral("单元：3/3"));
    QVERIFY(action(w, "TB_save").isEnabled());
    // The leftover went only after this run's own copy took its place.
    QCOMPARE(leftovers(f), QStringList{QFileInfo(autoSaver(w).copyPath()).fileName()});
    QCOMPARE(fileContents(autoSaver(w).copyPath()), planted);

    // A copy without a name comes back as the default document.
    EditorFixture g;
    plantLeftover(g, QStringLiteral("nameless"), 1, QString());
    g.prompts.confirms << true;
    TForm_movie& v = g.start();
    QCOMPARE(v.document().docFileName(), g.defaultDocument());
    QCOMPARE(statusBar(v).bsSkinStatusPanel_4->text(), QStringLiteral("new.mmt"));
    QVERIFY(v.isModified());
    QVERIFY(g.prompts.allAnswered());
}

void AutoSave::startWithLeftoverAnsweredNoDeletesIt() {
    EditorFixture f;
    plantLeftover(f, QStringLiteral("older"), 1, QStringLiteral("/old.mmt"));
    const QString olderCopy = f.recoveryDir() + QStringLiteral("quillet-autosave-older.mmt");
    QFile(olderCopy).setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    plantLeftover(f, QStringLiteral("newer"), 2, QStringLiteral("/new.mmt"));
    // Newest first; No deletes it and the next is offered; Yes to that one restores it.
    f.prompts.confirms << false << true;
    TForm_movie& w = f.start();
    const QStringList asked = f.prompts.shown(QStringLiteral("confirm"));
    QCOMPARE(asked.size(), 2);
    QVERIFY(asked[0].contains(QStringLiteral("/new.mmt")));
    QVERIFY(asked[1].contains(QStringLiteral("/old.mmt")));
    QCOMPARE(w.document().count(), 1);
    QCOMPARE(leftovers(f), QStringList{QFileInfo(autoSaver(w).copyPath()).fileName()});

    EditorFixture g;
    plantLeftover(g, QStringLiteral("unwanted"), 2, QStringLiteral("/x.mmt"));
    g.prompts.confirms << false;
    TForm_movie& v = g.start();
    QCOMPARE(v.document().count(), 0);
    QVERIFY(!v.isModified());
    QVERIFY(leftovers(g).isEmpty());
    QVERIFY(QDir(g.recoveryDir()).entryList(QDir::Files).filter(QStringLiteral("unwanted")).isEmpty());
    QVERIFY(g.prompts.allAnswered());
}

void AutoSave::leftoversOfLiveRunsAreNotOffered() {
    EditorFixture f;
    plantLeftover(f, QStringLiteral("alive"), 1, QStringLiteral("/alive.mmt"));
    QLockFile alive(f.recoveryDir() + QStringLiteral("quillet-autosave-alive.lock"));
    alive.setStaleLockTime(0);
    QVERIFY(alive.tryLock(0));
    TForm_movie& w = f.start();
    QVERIFY(f.prompts.log.isEmpty());
    QCOMPARE(w.document().count(), 0);
    QVERIFY(QFileInfo::exists(f.recoveryDir() + QStringLiteral("quillet-autosave-alive.mmt")));

    // Two editors in one folder: each keeps its own copy and neither takes the other's.
    f.addPages(1);
    QVERIFY(autoSaver(w).saveNow());
    AutoSaver other(
        w.document(), [] { return true; }, f.recoveryDir());
    QVERIFY(other.start());
    QVERIFY(other.copyPath() != autoSaver(w).copyPath());
    QVERIFY(other.claimLeftovers().empty());
    QVERIFY(other.saveNow());
    QCOMPARE(leftovers(f).size(), 3);
}

void AutoSave::locksOfCrashedRunsWithoutCopyAreCleared() {
    EditorFixture f;
    const QString temp = f.recoveryDir();
    QDir().mkpath(temp);
    QLockFile live(temp + QStringLiteral("quillet-autosave-live.lock"));
    live.setStaleLockTime(0);
    QVERIFY(live.tryLock(0));
    // A lock as this program writes it, but of a process that has ended.
    QProcess shell;
    shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    QVERIFY(shell.waitForFinished());
    const QByteArray deadPid = shell.readAllStandardOutput().trimmed();
    QByteArray lines = fileContents(temp + QStringLiteral("quillet-autosave-live.lock"));
    lines = deadPid + lines.mid(lines.indexOf('\n'));
    f.writeFile(kRecovery + QStringLiteral("quillet-autosave-dead.lock"), lines);
    f.writeFile(kRecovery + QStringLiteral("quillet-autosave-dead.name"), "/a.mmt");

    TForm_movie& w = f.start();
    QVERIFY(f.prompts.log.isEmpty());
    QVERIFY(!QFileInfo::exists(temp + QStringLiteral("quillet-autosave-dead.lock")));
    QVERIFY(!QFileInfo::exists(temp + QStringLiteral("quillet-autosave-dead.name")));
    QVERIFY(QFileInfo::exists(temp + QStringLiteral("quillet-autosave-live.lock")));
    QVERIFY(QFileInfo::exists(autoSaver(w).copyPath().replace(QStringLiteral(".mmt"), QStringLiteral(".lock"))));
}

void AutoSave::folderAndCopiesAreTheUsersAlone() {
    EditorFixture f;
    TForm_movie& w = f.start();
    for (const QString& folder : {f.stateDir(), f.stateDir() + QStringLiteral("/quillet"), f.recoveryDir()})
        QCOMPARE(modeOf(folder), mode_t(0700));
    f.addPages(1);
    QVERIFY(autoSaver(w).saveNow());
    QCOMPARE(modeOf(autoSaver(w).copyPath()), mode_t(0600));
    QCOMPARE(modeOf(autoSaver(w).namePath()), mode_t(0600));
    QVERIFY(
        !QFileInfo::exists(f.programDir() + QStringLiteral("temp/") + QFileInfo(autoSaver(w).copyPath()).fileName()));

    // The user's own folder that others may only look into is closed to them.
    EditorFixture g;
    QVERIFY(QDir().mkpath(g.recoveryDir()));
    QVERIFY(::chmod(QFile::encodeName(g.recoveryDir()).constData(), 0755) == 0);
    TForm_movie& v = g.start();
    QCOMPARE(modeOf(g.recoveryDir()), mode_t(0700));
    QVERIFY(autoSaver(v).copyPath().startsWith(g.recoveryDir()));
}

void AutoSave::linksInTheFolderAreNeverWrittenThrough() {
    EditorFixture f;
    TForm_movie& w = f.start();
    const QString victim = f.writeFile(QStringLiteral("作品.mmt"), "precious");
    const QString copy = autoSaver(w).copyPath();
    QVERIFY(QFile::link(victim, copy));
    QVERIFY(QFile::link(victim, autoSaver(w).namePath()));
    f.addPages(2);
    QVERIFY(autoSaver(w).saveNow());
    QCOMPARE(fileContents(victim), QByteArray("precious"));
    QVERIFY(!QFileInfo(copy).isSymLink());
    QVERIFY(!QFileInfo(autoSaver(w).namePath()).isSymLink());
    QCOMPARE(fileContents(copy), stripRecords(w.document()));

    // A link where the new copy is written before it takes the copy's place: the write fails and says
    // so, the file the link points to and the last copy stay as they were.
    const QByteArray lastCopy = fileContents(copy);
    QVERIFY(QFile::link(victim, copy + QStringLiteral(".part")));
    f.addPages(1);
    QVERIFY(!autoSaver(w).saveNow());
    QCOMPARE(fileContents(victim), QByteArray("precious"));
    QCOMPARE(fileContents(copy), lastCopy);
    QVERIFY(statusBar(w).currentMessage().startsWith(QStringLiteral("自动保存失败：")));
}

void AutoSave::onlyTheUsersOwnRegularFilesAreOffered() {
    EditorFixture f;
    const std::optional<uid_t> other = otherUser();
    const auto at = [&f](const char* id, const char* suffix) {
        return f.recoveryDir() + QStringLiteral("quillet-autosave-") + QLatin1String(id) + QLatin1String(suffix);
    };
    QVERIFY(QDir().mkpath(f.recoveryDir()));
    // Copies that are not offered: a link to an animation file elsewhere, a FIFO, another user's file.
    const QString elsewhere = f.animationFile(QStringLiteral("elsewhere.mmt"), 2);
    QVERIFY(QFile::link(elsewhere, at("link", ".mmt")));
    QVERIFY(makeFifo(at("fifo", ".mmt")));
    if (other) {
        plantLeftover(f, QStringLiteral("other"), 1, QStringLiteral("/other.mmt"));
        QVERIFY(giveAway(at("other", ".mmt"), *other));
    }
    // Copies offered under the default name, their side files unread: a link to a file holding a
    // name, a FIFO, a file far longer than any path, another user's file.
    const QString secret = f.writeFile(QStringLiteral("secret.txt"), "/secret/name.mmt");
    QStringList nameless = {QStringLiteral("linkname"), QStringLiteral("fifoname"), QStringLiteral("hugename")};
    if (other) nameless << QStringLiteral("othername");
    for (const QString& id : nameless)
        plantLeftover(f, id, 1, id == QStringLiteral("othername") ? QStringLiteral("/other.mmt") : QString());
    QVERIFY(QFile::link(secret, at("linkname", ".name")));
    QVERIFY(makeFifo(at("fifoname", ".name")));
    f.writeFile(kRecovery + QStringLiteral("quillet-autosave-hugename.name"), QByteArray(1 << 20, 'x'));
    if (other) QVERIFY(giveAway(at("othername", ".name"), *other));

    FifoWatch copyWatch(at("fifo", ".mmt"));
    FifoWatch nameWatch(at("fifoname", ".name"));
    for (qsizetype k = 0; k < nameless.size(); ++k)
        f.prompts.confirms << false;
    f.start();
    QVERIFY(!copyWatch.opened());
    QVERIFY(!nameWatch.opened());
    const QStringList asked = f.prompts.shown(QStringLiteral("confirm"));
    QCOMPARE(asked.size(), nameless.size());
    for (const QString& question : asked)
        QVERIFY2(question.contains(QLatin1Char('\n') + f.defaultDocument() + QLatin1Char('\n')), qPrintable(question));
    // Answered No, the offered copies went with their side files; the links went, not their targets.
    QCOMPARE(fileContents(secret), QByteArray("/secret/name.mmt"));
    QCOMPARE(fileContents(elsewhere).size(), 2 * kRecordSize);
    QVERIFY(QFileInfo(at("link", ".mmt")).isSymLink());
    QCOMPARE(leftovers(f).size(), other ? 2 : 1);
}

void AutoSave::unsafeFolderTurnsAutosaveOff_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("writable by others") << QStringLiteral("open");
    QTest::newRow("writable by its group") << QStringLiteral("group");
    QTest::newRow("a link to a folder of the user's own") << QStringLiteral("link");
    QTest::newRow("another user's") << QStringLiteral("other");
}

void AutoSave::unsafeFolderTurnsAutosaveOff() {
    QFETCH(QString, kind);
    EditorFixture f;
    const QString folder = f.recoveryDir().chopped(1);
    // The planted leftover sits where the folder's files really go.
    QString real = folder;
    if (kind == QStringLiteral("link")) {
        real = f.programDir() + QStringLiteral("elsewhere");
        QVERIFY(QDir().mkpath(real));
        QVERIFY(::chmod(QFile::encodeName(real).constData(), 0700) == 0);
        QVERIFY(QDir().mkpath(f.stateDir() + QStringLiteral("/quillet")));
        QVERIFY(QFile::link(real, folder));
    } else {
        QVERIFY(QDir().mkpath(folder));
    }
    f.writeFile(QDir(f.programDir()).relativeFilePath(real) + QStringLiteral("/quillet-autosave-old.mmt"),
                QByteArray(kRecordSize, 'a'));
    const mode_t modes = kind == QStringLiteral("open") ? 0777 : kind == QStringLiteral("group") ? 0770 : 0700;
    QVERIFY(::chmod(QFile::encodeName(real).constData(), modes) == 0);
    if (kind == QStringLiteral("other")) {
        const std::optional<uid_t> other = otherUser();
        if (!other) QSKIP("no second user to give the folder to; test_privatefolder checks owners with another uid");
        QVERIFY(giveAway(folder, *other));
    }

    TForm_movie& w = f.start();
    const QString message = statusBar(w).currentMessage();
    QVERIFY2(message.startsWith(QStringLiteral("自动保存失败：") + folder), qPrintable(message));
    QVERIFY(f.prompts.log.isEmpty());
    QVERIFY(autoSaver(w).copyPath().isEmpty());
    QSignalSpy spy(&autoSaver(w), &AutoSaver::failed);
    f.addPages(1);
    QVERIFY(!autoSaver(w).saveNow());
    QCOMPARE(spy.count(), 0);
    QCOMPARE(QDir(real).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("quillet-autosave-old.mmt")});
    QCOMPARE(modeOf(real), modes);
}

QTEST_MAIN(AutoSave)
#include "test_autosave.moc"

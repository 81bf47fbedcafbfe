// A long random walk over the real main window: every command, the option panels and the preview,
// undo and redo, with random answers to every question and dialog, good and bad files, and now and
// then a crash and a restart. After every step the film strip, the status bar, what reached the
// disk and the document against what the undo history held at each of its steps are checked. QUILLET_SOAK_STEPS sets
// the number of steps (default 3000); the seed is fixed.
#include "editorfixture.h"

#include "ansiimage.h"
#include "autosave.h"
#include "colorswatch.h"
#include "filmpanel.h"
#include "optionpanel.h"
#include "previewpanel.h"
#include "statuspanels.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSlider>
#include <QTest>
#include <QUndoStack>

#include <sys/stat.h>

#include <map>
#include <optional>
#include <random>
#include <vector>

using namespace quillet;

namespace {

const QString kApplyQuestion = QStringLiteral("当前单元的文本或颜色已修改但尚未确认，是否应用这些修改？");

// Identity of a file's current contents: every save goes through a new file renamed into place.
std::map<QString, std::pair<quint64, qint64>> fileIdentities(const QStringList& folders) {
    std::map<QString, std::pair<quint64, qint64>> ids;
    QFileInfoList files;
    for (const QString& folder : folders)
        files += QDir(folder).entryInfoList(QDir::Files);
    for (const QFileInfo& info : files) {
        struct stat st {};
        if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) == 0)
            ids[info.absoluteFilePath()] = {static_cast<quint64>(st.st_ino), static_cast<qint64>(st.st_size)};
    }
    return ids;
}

// clang-format off
enum class Step {
    Add, Delete, Up, Down, Click, New, Open, Save, Export, PreviewToggle, PreviewTick, PreviewSpeed, PreviewConfirm,
    PageOptions, PageReset, UnitDefaults, DefaultsReset, Memo, OptionsToggle, AutoSaveTick, Close, Crash,
    Undo, Redo, Duplicate, Blank, Cut, Copy, Paste
};

struct Weighted {
    Step step;
    int weight;
    const char* name;
};

const Weighted kSteps[] = {
    {Step::Add, 18, "add"}, {Step::Delete, 8, "delete"}, {Step::Up, 6, "up"}, {Step::Down, 6, "down"},
    {Step::Click, 14, "click"}, {Step::New, 2, "new"}, {Step::Open, 4, "open"}, {Step::Save, 5, "save"},
    {Step::Export, 2, "export"}, {Step::PreviewToggle, 3, "preview"}, {Step::PreviewTick, 6, "tick"},
    {Step::PreviewSpeed, 2, "speed"}, {Step::PreviewConfirm, 2, "preview ok"}, {Step::PageOptions, 3, "page options"},
    {Step::PageReset, 1, "page reset"}, {Step::UnitDefaults, 3, "unit defaults"},
    {Step::DefaultsReset, 1, "defaults reset"}, {Step::Memo, 10, "memo"}, {Step::OptionsToggle, 1, "options"},
    {Step::AutoSaveTick, 3, "autosave"}, {Step::Close, 1, "close"}, {Step::Crash, 1, "crash"},
    {Step::Undo, 10, "undo"}, {Step::Redo, 6, "redo"}, {Step::Duplicate, 2, "duplicate"}, {Step::Blank, 1, "blank"},
    {Step::Cut, 2, "cut"}, {Step::Copy, 2, "copy"}, {Step::Paste, 3, "paste"},
};

// What the undo history can tell apart: the units' records and the page colour.
struct DocumentState {
    std::size_t records = 0;
    int count = 0;
    TColor pageColor = 0;
    bool operator==(const DocumentState& other) const {
        return records == other.records && count == other.count && pageColor == other.pageColor;
    }
};
// clang-format on

class Walk {
public:
    Walk() : m_random(20261207) {}

    void run(int steps);

private:
    // Set-up.
    void makeFixtures();
    void restart(bool crashed);
    // Random material.
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(const QList<T>& list) { return list[below(static_cast<int>(list.size()))]; }
    QString randomLine(int maxLength);
    QString randomText(int maxLines, int maxLength);
    QString randomColourText();
    void queueAnswers();
    // Steps.
    const Weighted& chooseStep();
    void perform(Step step);
    void previewStep(Step step);
    void optionStep(Step step);
    void closeStep();
    void crashStep();
    // Checks after each step.
    void checkStrip();
    void checkStatus();
    void checkButtons();
    void checkWrites(const std::map<QString, std::pair<quint64, qint64>>& before, const QList<QByteArray>& documents);
    void checkOpened(const QString& name);
    // The plain model of the history: the document after each of its steps, where known.
    DocumentState documentState();
    void followHistory(Step step, int indexBefore, int countBefore, bool applied);
    void fail(const QString& what);

    TForm_movie& w() { return *m_f->window; }
    const TFilmPanel& strip() { return m_f->window->document(); }

    std::mt19937 m_random;
    std::unique_ptr<EditorFixture> m_f;
    QString m_docs;
    QStringList m_documentFolders; // everywhere a document may be opened from or saved to
    QStringList m_textPool;
    QStringList m_openPool;
    QStringList m_savePool;
    QStringList m_exportPool;
    QStringList m_trail;

    // What the window may legitimately show that the strip alone does not tell.
    bool m_everHadUnits = false;
    int m_heightExtra = 0;
    int m_initialWidth = 0;
    QString m_initialStatus0;
    QString m_initialStatus1;
    bool m_sizeMayLag = false;
    QString m_laggingSize;
    // The document as it stood at each prompt of a step that may write it: a save question's Yes
    // writes the document after the current unit's changes were applied on the way.
    bool m_watchDocument = false;
    QList<QByteArray> m_documentsSeen;
    int m_effective = 0;
    // The document after each step of the window's undo history: element k after k steps; empty
    // where a step of the walk made several undo steps at once, or merged into one.
    std::vector<std::optional<DocumentState>> m_states;
    // What the walk went through, for its report.
    std::map<QString, int> m_seen;
};

void Walk::makeFixtures() {
    EditorFixture& f = *m_f;
    // Copies of the shared fixtures: a save question may write over any document the walk opened.
    const QString data = QStringLiteral(QUILLET_TEST_DATA "/document/");
    for (const char* name : {"art_page.txt", "art_page.clo", "gbk_page.txt", "gbk_page.clo", "random.txt",
                             "中文 页面.txt", "中文 页面.clo", "gbk_and_art.mmt", "random.mmt"})
        f.writeFile(QStringLiteral("data/") + QString::fromUtf8(name), fileContents(data + QString::fromUtf8(name)));
    for (const char* name : {"art_page.txt", "gbk_page.txt", "random.txt", "中文 页面.txt"})
        m_textPool << f.programDir() + QStringLiteral("data/") + QString::fromUtf8(name);
    m_textPool << f.writeFile(QStringLiteral("pages/rl.txt"), fileContents(data + QStringLiteral("random.txt")));
    f.writeFile(QStringLiteral("pages/rl.clo"), fileContents(data + QStringLiteral("random_list.clo")));
    m_textPool << f.writeFile(QStringLiteral("pages/位图.txt"), fileContents(data + QStringLiteral("gbk_page.txt")));
    f.writeFile(QStringLiteral("pages/位图.clo"), fileContents(data + QStringLiteral("random_bitmap.clo")));
    QByteArray noise;
    for (int k = 0; k < 5000; ++k)
        noise += static_cast<char>(below(256));
    m_textPool << f.writeFile(QStringLiteral("pages/噪声.txt"), noise);
    f.writeFile(QStringLiteral("pages/噪声.clo"), "12, zz, -7\r\n0x1G 99999999999 ,,,\r\n");
    m_textPool << f.writeFile(QStringLiteral("pages/badbmp.txt"), "ab\r\ncd\r\n");
    f.writeFile(QStringLiteral("pages/badbmp.clo"), QByteArray("BM") + QByteArray(60, '\xff'));
    QByteArray big;
    for (int r = 0; r < 120; ++r)
        big += QByteArray(300, static_cast<char>('A' + r % 26)) + "\r\n";
    m_textPool << f.writeFile(QStringLiteral("pages/big.txt"), big);
    m_textPool << f.writeFile(QStringLiteral("pages/empty.txt"), QByteArray());
    QDir().mkpath(f.programDir() + QStringLiteral("pages/folder.txt"));
    m_textPool << f.programDir() + QStringLiteral("pages/folder.txt");
    m_textPool << f.programDir() + QStringLiteral("pages/missing.txt");

    m_docs = f.programDir() + QStringLiteral("docs/");
    m_documentFolders = {m_docs, f.programDir() + QStringLiteral("data"), f.programDir() + QStringLiteral("bad")};
    for (const char* name : {"动画.mmt", "测试 二.mmt", "a.mmt", "no_extension", "空格 name.mmt"})
        m_savePool << m_docs + QString::fromUtf8(name);
    QDir().mkpath(m_docs + QStringLiteral("文件夹.mmt"));
    m_savePool << m_docs + QStringLiteral("文件夹.mmt");
    m_openPool = m_savePool;
    m_openPool << f.programDir() + QStringLiteral("data/gbk_and_art.mmt")
               << f.programDir() + QStringLiteral("data/random.mmt") << m_docs + QStringLiteral("missing.mmt");
    QByteArray many;
    for (int k = 0; k < 51; ++k)
        many += QByteArray(kRecordSize, static_cast<char>(k % 7 == 0 ? 0xb0 : 'a' + k % 26));
    m_openPool << f.writeFile(QStringLiteral("bad/51.mmt"), many);
    m_openPool << f.writeFile(QStringLiteral("bad/empty.mmt"), QByteArray());
    m_openPool << f.writeFile(QStringLiteral("bad/trunc.mmt"), noise.left(100));
    m_exportPool << f.programDir() + QStringLiteral("export/页 面.htm")
                 << f.programDir() + QStringLiteral("export/p.htm");
    QDir().mkpath(f.programDir() + QStringLiteral("export/dir.htm"));
    m_exportPool << f.programDir() + QStringLiteral("export/dir.htm");
    QFile::copy(QStringLiteral(QUILLET_RUNTIME_DIR "/Tevrano.ini"), f.programDir() + QStringLiteral("Tevrano.ini"));
}

void Walk::restart(bool crashed) {
    const QString copy = m_f->window ? autoSaver(*m_f->window).copyPath() : QString();
    const bool copyLeft = crashed && QFileInfo::exists(copy);
    const QByteArray copyRecords = copyLeft ? fileContents(copy) : QByteArray();
    const QString copyName = copyLeft ? QString::fromUtf8(fileContents(autoSaver(*m_f->window).namePath())) : QString();
    m_f->window.reset();
    m_f->prompts.clearLog();
    const bool restore = chance(50);
    m_f->prompts.confirms = {restore};
    m_f->start();
    m_f->prompts.confirms.clear();
    const QStringList asked = m_f->prompts.shown(QStringLiteral("confirm"));
    m_seen["recoveries offered"] += static_cast<int>(asked.size());
    m_seen["starts"] += 1;
    if (copyLeft != (asked.size() == 1)) fail(QStringLiteral("recovery offered %1 times").arg(asked.size()));
    if (copyLeft && !asked.first().startsWith(kRecoveryQuestion)) fail(QStringLiteral("asked: ") + asked.first());
    if (copyLeft && restore) {
        if (stripRecords(strip()) != copyRecords) fail(QStringLiteral("restored units differ from the copy"));
        if (!w().isModified()) fail(QStringLiteral("restored document not modified"));
        if (strip().docFileName() != copyName) fail(QStringLiteral("restored name ") + strip().docFileName());
    } else if (strip().count() != 0 || w().isModified()) {
        fail(QStringLiteral("a fresh start is not empty and clean"));
    }
    w().show();
    m_states = {documentState()};
    m_everHadUnits = strip().count() > 0;
    m_heightExtra = 0;
    m_initialWidth = strip().width();
    m_initialStatus0 = m_f->status0();
    m_initialStatus1 = m_f->status1();
    m_sizeMayLag = false;
}

QString Walk::randomLine(int maxLength) {
    QString line;
    const int length = below(maxLength + 1);
    for (int k = 0; k < length; ++k) {
        if (chance(55))
            line += QChar(0x20 + below(0x5f));
        else
            line += QChar(0x4e00 + below(0x9fa5 - 0x4e00));
    }
    // Now and then a character GBK cannot hold: the confirm is refused.
    if (chance(3)) line.insert(below(static_cast<int>(line.size()) + 1), QString::fromUcs4(U"\U0001F600"));
    return line;
}

QString Walk::randomText(int maxLines, int maxLength) {
    QStringList lines;
    const int count = chance(5) ? 70 + below(30) : below(maxLines + 1);
    for (int k = 0; k < count; ++k)
        lines << randomLine(chance(5) ? 250 : maxLength);
    return lines.join(QLatin1Char('\n')) + (chance(20) ? QStringLiteral("\n") : QString());
}

QString Walk::randomColourText() {
    switch (below(4)) {
    case 0:
        return QString::number(below(0x1000000), 16).toUpper().rightJustified(6, QLatin1Char('0'));
    case 1:
        return randomLine(8);
    case 2:
        return QString();
    default:
        return QStringLiteral("%1").arg(below(1 << 30), 0, 16);
    }
}

// Enough random answers for whatever the next step asks; what it leaves unused is dropped after it.
void Walk::queueAnswers() {
    ScriptedPrompts& p = m_f->prompts;
    for (int k = 0; k < 4; ++k)
        p.confirms << chance(70);
    // Leaving the current unit may ask about its fields before the save question.
    for (int k = 0; k < 2; ++k)
        p.questions << pick(QList<Prompts::Answer>{Prompts::Answer::Yes, Prompts::Answer::No, Prompts::Answer::Cancel});
    p.saveNames << (chance(10) ? QString() : pick(m_savePool));
    p.colors << (chance(15) ? std::nullopt : std::optional<TColor>(below(0x1000000)));
    p.colors << std::optional<TColor>(below(0x1000000));
}

const Weighted& Walk::chooseStep() {
    int total = 0;
    for (const Weighted& s : kSteps)
        total += s.weight;
    int r = below(total);
    for (const Weighted& s : kSteps) {
        if (r < s.weight) return s;
        r -= s.weight;
    }
    return kSteps[0];
}

void Walk::perform(Step step) {
    ScriptedPrompts& p = m_f->prompts;
    TForm_movie& win = w();
    switch (step) {
    case Step::Add:
        p.openNames << (chance(5) ? QString() : pick(m_textPool));
        action(win, "TB_AddImg").trigger();
        break;
    case Step::Delete:
        action(win, "TB_delect").trigger();
        break;
    case Step::Up:
        action(win, "TB_up").trigger();
        break;
    case Step::Down:
        action(win, "TB_down").trigger();
        break;
    case Step::Click:
        if (strip().count() > 0 && !mainPanel(win).isHidden()) selectUnit(win, below(strip().count()));
        break;
    case Step::New:
        action(win, "TB_New").trigger();
        break;
    case Step::Open: {
        const QString name = chance(5) ? QString() : pick(m_openPool);
        p.openNames << name;
        const bool enabled = action(win, "TB_open").isEnabled();
        action(win, "TB_open").trigger();
        if (enabled && p.openNames.isEmpty()) checkOpened(name);
        break;
    }
    case Step::Save:
        action(win, "TB_save").trigger();
        break;
    case Step::Export:
        p.saveNames.prepend(chance(10) ? QString() : pick(m_exportPool));
        action(win, "TB_SaveHtm").trigger();
        m_f->shellOpened.clear();
        break;
    case Step::PreviewToggle:
    case Step::PreviewTick:
    case Step::PreviewSpeed:
    case Step::PreviewConfirm:
        previewStep(step);
        break;
    case Step::PageOptions:
    case Step::PageReset:
    case Step::UnitDefaults:
    case Step::DefaultsReset:
    case Step::Memo:
    case Step::OptionsToggle:
        optionStep(step);
        break;
    case Step::AutoSaveTick: {
        AutoSaver& saver = autoSaver(win);
        saver.saveNow();
        const bool exists = QFileInfo::exists(saver.copyPath());
        if (exists != win.isModified())
            fail(QStringLiteral("recovery copy present: %1, modified: %2").arg(exists).arg(win.isModified()));
        if (exists && fileContents(saver.copyPath()) != stripRecords(strip()))
            fail(QStringLiteral("recovery copy differs"));
        break;
    }
    case Step::Close:
        closeStep();
        break;
    case Step::Crash:
        crashStep();
        break;
    case Step::Undo:
        action(win, "actionUndo").trigger();
        break;
    case Step::Redo:
        action(win, "actionRedo").trigger();
        break;
    case Step::Duplicate:
        action(win, "actionDuplicateUnit").trigger();
        break;
    case Step::Blank:
        action(win, "actionInsertBlankUnit").trigger();
        break;
    case Step::Cut:
        action(win, "actionCutUnit").trigger();
        break;
    case Step::Copy:
        action(win, "actionCopyUnit").trigger();
        break;
    case Step::Paste:
        action(win, "actionPasteUnit").trigger();
        break;
    }
}

void Walk::previewStep(Step step) {
    TForm_movie& win = w();
    const bool open = !previewPanel(win).isHidden();
    switch (step) {
    case Step::PreviewToggle:
        action(win, "TB_Preplay").trigger();
        break;
    case Step::PreviewTick:
        if (open) previewTick(win);
        break;
    case Step::PreviewSpeed:
        if (open) previewPanel(win).PreView_SpeedBar->setValue(below(101));
        break;
    default:
        if (open) previewPanel(win).bsBtnPvOK->click();
        break;
    }
    // The play position may point past the end until the next frame wraps it.
    if (step == Step::PreviewTick && open && strip().count() > 0 &&
        (previewPanel(win).playIndex() < 0 || previewPanel(win).playIndex() >= strip().count()))
        fail(QStringLiteral("play index %1 of %2").arg(previewPanel(win).playIndex()).arg(strip().count()));
}

void Walk::optionStep(Step step) {
    TForm_movie& win = w();
    OptionPanel& panel = optionPanel(win);
    if (step == Step::OptionsToggle) {
        action(win, "TB_ifo").trigger();
        return;
    }
    if (panel.isHidden()) return;
    switch (step) {
    case Step::PageOptions:
        panel.Edit_Title->setText(randomLine(30));
        panel.Edit_color1->setText(randomColourText());
        panel.Edit_color2->setText(randomColourText());
        panel.CR_Button->setChecked(chance(50));
        panel.CB_ByteMode->setCurrentIndex(below(3));
        if (chance(30)) QTest::mouseClick(panel.Lb_Color1, Qt::LeftButton);
        panel.bsBtnHOK->click();
        break;
    case Step::PageReset:
        panel.bsBtnHReset->click();
        break;
    case Step::UnitDefaults:
        QTest::mouseClick(panel.Lb_Color_Df1, Qt::LeftButton);
        QTest::mouseClick(panel.Lb_Color_Df2, Qt::LeftButton);
        panel.bsBtn_DfOk->click();
        break;
    case Step::DefaultsReset:
        panel.bsBtn_DfReset->click();
        break;
    default: // the memo and the current unit's colours, now and then left unapplied
        if (!m_sizeMayLag) m_laggingSize = m_f->status1();
        panel.MemoText->setPlainText(randomText(12, 40));
        if (chance(50)) panel.Edit_color_u1->setText(randomColourText());
        if (chance(50)) panel.Edit_color_u2->setText(randomColourText());
        if (chance(10)) QTest::mouseClick(panel.Lb_Color_u2, Qt::LeftButton);
        if (chance(20)) break;
        if (panel.bsBtnPOK->isEnabled()) m_sizeMayLag = true;
        panel.bsBtnPOK->click();
        break;
    }
}

void Walk::closeStep() {
    if (!w().close()) return;
    restart(false);
}

// The run ends without its close: sometimes right after a recovery copy was written.
void Walk::crashStep() {
    if (chance(70)) autoSaver(w()).saveNow();
    restart(true);
}

void Walk::checkStrip() {
    const TFilmPanel& s = strip();
    if (s.count() < 0 || s.count() > TFilmPanel::kMaxUnits) return fail(QStringLiteral("count %1").arg(s.count()));
    if (s.count() == 0 ? s.currentIndex() != -1 : (s.currentIndex() < 0 || s.currentIndex() >= s.count()))
        return fail(QStringLiteral("current %1 of %2").arg(s.currentIndex()).arg(s.count()));
    int top = s.unitSpacing();
    int selected = 0;
    int widest = 0;
    QSet<std::uint64_t> ids;
    for (int k = 0; k < s.count(); ++k) {
        const TAnsiImage& u = s.GetUnit(k);
        if (ids.contains(u.id())) return fail(QStringLiteral("unit %1 stands twice in the strip").arg(k));
        ids.insert(u.id());
        if (u.tag() != k) return fail(QStringLiteral("unit %1 has tag %2").arg(k).arg(u.tag()));
        if (u.top() != top || u.left() != s.unitMargin())
            return fail(QStringLiteral("unit %1 at %2,%3, expected %4,%5")
                            .arg(k)
                            .arg(u.left())
                            .arg(u.top())
                            .arg(s.unitMargin())
                            .arg(top));
        if (u.selected() && k != s.currentIndex()) return fail(QStringLiteral("unit %1 selected too").arg(k));
        selected += u.selected() ? 1 : 0;
        top += u.height() + s.unitSpacing();
        widest = std::max(widest, u.width());
    }
    if (s.count() > 0 && selected != 1) return fail(QStringLiteral("%1 units selected").arg(selected));
    const int sum = top - s.unitSpacing();
    // After the strip has once been emptied by deletions it keeps one pixel of height.
    const int extra = s.height() - sum;
    if (extra < m_heightExtra || extra > 1 || (s.count() == 0 && m_everHadUnits && s.height() != 1))
        return fail(QStringLiteral("height %1 for units of %2").arg(s.height()).arg(sum));
    m_heightExtra = extra;
    const int width = m_everHadUnits || s.count() > 0 ? widest + 2 * s.unitMargin() : m_initialWidth;
    if (s.width() != width) return fail(QStringLiteral("width %1, expected %2").arg(s.width()).arg(width));
    m_everHadUnits = m_everHadUnits || s.count() > 0;
}

void Walk::checkStatus() {
    const TFilmPanel& s = strip();
    const QString status0 = m_f->status0();
    const QString status1 = m_f->status1();
    if (s.count() == 0) {
        const bool designed = !m_everHadUnits && status0 == m_initialStatus0 && status1 == m_initialStatus1;
        if (!designed && (status0 != QStringLiteral("单元：0/0") || status1 != QStringLiteral("尺寸：0x0")))
            fail(QStringLiteral("empty document shows %1 %2").arg(status0, status1));
        m_sizeMayLag = false;
        return;
    }
    if (status0 != QStringLiteral("单元：%1/%2").arg(s.currentIndex() + 1).arg(s.count()))
        return fail(QStringLiteral("status %1 for %2 of %3").arg(status0).arg(s.currentIndex() + 1).arg(s.count()));
    const TAnsiImage& u = s.GetUnit(s.currentIndex());
    const QString size = QStringLiteral("尺寸：%1×%2").arg(u.cols()).arg(u.rows());
    // Confirming the memo does not refresh the size text; the next change of unit does.
    if (status1 == size)
        m_sizeMayLag = false;
    else if (!m_sizeMayLag || status1 != m_laggingSize)
        fail(QStringLiteral("size shows %1, unit is %2").arg(status1, size));
}

void Walk::checkButtons() {
    TForm_movie& win = w();
    const bool preview = !previewPanel(win).isHidden();
    if (preview == !mainPanel(win).isHidden()) return fail(QStringLiteral("film area and preview shown together"));
    QAction* const document[] = {&action(win, "TB_save"), &action(win, "TB_delect"), &action(win, "TB_SaveHtm"),
                                 &action(win, "TB_up"), &action(win, "TB_down")};
    for (QAction* a : document) {
        if (a->isEnabled() && (preview || strip().count() == 0)) return fail(a->toolTip() + QStringLiteral(" enabled"));
    }
    if (action(win, "TB_Preplay").isEnabled() == (strip().count() == 0 && !preview))
        return fail(QStringLiteral("preview button state"));
    const QUndoStack& history = win.undoStack();
    if (action(win, "actionUndo").isEnabled() != (history.canUndo() && !preview) ||
        action(win, "actionRedo").isEnabled() != (history.canRedo() && !preview))
        return fail(QStringLiteral("undo or redo enabled against the history"));
    if (!history.isClean() && !win.isModified()) return fail(QStringLiteral("changed document not marked"));
}

DocumentState Walk::documentState() {
    return {qHash(stripRecords(strip())), strip().count(), strip().pageColor()};
}

void Walk::followHistory(Step step, int indexBefore, int countBefore, bool applied) {
    const QUndoStack& history = w().undoStack();
    const int index = history.index();
    // New, Open and a start begin the history anew.
    if (history.count() == 0) {
        m_states = {documentState()};
        return;
    }
    const bool walked = (step == Step::Undo || step == Step::Redo) && !applied && history.count() == countBefore;
    if (walked) {
        // An undo or redo alone brings back the document as it stood after that many steps.
        const std::optional<DocumentState>& known = m_states[static_cast<std::size_t>(index)];
        if (known && !(*known == documentState()))
            return fail(QStringLiteral("after %1 steps of the history the document differs").arg(index));
        m_seen["history states compared"] += known ? 1 : 0;
    } else if (index != indexBefore || history.count() != countBefore || applied) {
        // Steps were added (dropping those undone) or an apply merged into the last one: what
        // stood after the steps below the first touched one is still known.
        int kept = std::min(indexBefore, index);
        if (applied && kept > 0 && history.text(kept - 1) == QStringLiteral("应用单元内容")) --kept;
        m_states.resize(static_cast<std::size_t>(history.count()) + 1);
        for (std::size_t k = static_cast<std::size_t>(kept) + 1; k < m_states.size(); ++k)
            m_states[k].reset();
    } else {
        return;
    }
    m_states[static_cast<std::size_t>(index)] = documentState();
}

// Every animation file written during a step holds the document as it stood before the step or
// at one of the step's prompts.
void Walk::checkWrites(const std::map<QString, std::pair<quint64, qint64>>& before,
                       const QList<QByteArray>& documents) {
    for (const auto& [path, id] : fileIdentities(m_documentFolders)) {
        const auto old = before.find(path);
        if (old != before.end() && old->second == id) continue;
        ++m_seen["files saved"];
        if (!documents.contains(fileContents(path)))
            fail(QStringLiteral("saved file %1 does not hold the document").arg(path));
    }
}

void Walk::checkOpened(const QString& name) {
    if (name.isEmpty() || !QFileInfo(name).isFile() || !m_f->prompts.shown(QStringLiteral("critical")).isEmpty())
        return;
    const QByteArray file = fileContents(name);
    const qsizetype whole = std::min<qsizetype>(file.size() / kRecordSize, TFilmPanel::kMaxUnits);
    if (stripRecords(strip()) != file.left(whole * kRecordSize)) fail(QStringLiteral("opened %1 differs").arg(name));
    if (strip().docFileName() != name || w().isModified())
        fail(QStringLiteral("opened %1 as %2, modified %3").arg(name, strip().docFileName()).arg(w().isModified()));
}

void Walk::fail(const QString& what) {
    if (QTest::currentTestFailed()) return;
    QFAIL(qPrintable(what + QStringLiteral("\nlast steps: ") + m_trail.join(QStringLiteral(", "))));
}

void Walk::run(int steps) {
    m_f = std::make_unique<EditorFixture>();
    m_f->prompts.onPrompt = [this](const QString&) {
        // No window while a restart builds the next one.
        if (m_watchDocument && m_f->window) m_documentsSeen << stripRecords(strip());
    };
    makeFixtures();
    restart(false);
    int k = 0;
    for (; k < steps && !QTest::currentTestFailed(); ++k) {
        const Weighted& chosen = chooseStep();
        const Step step = chosen.step;
        m_trail << QStringLiteral("%1:%2").arg(k).arg(QLatin1String(chosen.name));
        if (m_trail.size() > 12) m_trail.removeFirst();
        const bool mayWrite = step == Step::Save || step == Step::New || step == Step::Open || step == Step::Close;
        const auto filesBefore =
            mayWrite ? fileIdentities(m_documentFolders) : decltype(fileIdentities(m_documentFolders))();
        m_documentsSeen = mayWrite ? QList<QByteArray>{stripRecords(strip())} : QList<QByteArray>();
        m_watchDocument = mayWrite;
        const int countBefore = strip().count();
        const int currentBefore = strip().currentIndex();
        const int historyIndexBefore = w().undoStack().index();
        const int historyCountBefore = w().undoStack().count();
        const QString sizeBefore = m_f->status1();

        m_f->prompts.clearLog();
        queueAnswers();
        perform(step);
        m_watchDocument = false;
        ScriptedPrompts& p = m_f->prompts;
        // Changes applied on the way out of the unit leave the size text behind, as the confirm
        // button does, until the next change of unit.
        const bool askedToApply = p.shown(QStringLiteral("question")).contains(kApplyQuestion);
        if (askedToApply && p.shown(QStringLiteral("message")).contains(QStringLiteral("数据修改成功."))) {
            if (!m_sizeMayLag) m_laggingSize = sizeBefore;
            m_sizeMayLag = true;
        }
        p.confirms.clear();
        p.questions.clear();
        p.openNames.clear();
        p.saveNames.clear();
        p.colors.clear();
        p.unexpected.clear();
        if (k % 8 == 0) QCoreApplication::processEvents();

        if (QTest::currentTestFailed()) break;
        if (mayWrite) checkWrites(filesBefore, m_documentsSeen);
        followHistory(step, historyIndexBefore, historyCountBefore,
                      p.shown(QStringLiteral("message")).contains(QStringLiteral("数据修改成功.")));
        checkStrip();
        checkStatus();
        checkButtons();
        if (strip().count() != countBefore || strip().currentIndex() != currentBefore) ++m_effective;
        m_seen["messages"] += static_cast<int>(p.shown(QStringLiteral("message")).size());
        m_seen["errors shown"] += static_cast<int>(p.shown(QStringLiteral("critical")).size());
        m_seen["questions about unapplied changes"] += askedToApply ? 1 : 0;
        m_seen["steps in preview"] += previewPanel(w()).isHidden() ? 0 : 1;
        m_seen["steps at 40 units or more"] += strip().count() >= 40 ? 1 : 0;
    }
    qInfo("%d steps, %d of them changed the unit count or the current unit", k, m_effective);
    for (const auto& [what, count] : m_seen)
        qInfo("%s: %d", qPrintable(what), count);
}

} // namespace

class Soak : public QObject {
    Q_OBJECT
private slots:
    void randomWalkKeepsTheDocumentSound();
};

void Soak::randomWalkKeepsTheDocumentSound() {
    bool ok = false;
    int steps = qEnvironmentVariableIntValue("QUILLET_SOAK_STEPS", &ok);
    if (!ok || steps <= 0) steps = 3000;
    QElapsedTimer clock;
    clock.start();
    Walk walk;
    walk.run(steps);
    qInfo("soak: %lld ms", static_cast<long long>(clock.elapsed()));
}

QTEST_MAIN(Soak)
#include "test_soak.moc"

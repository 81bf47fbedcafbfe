#include "mainwindow.h"

#include "autosave.h"
#include "colorconvert.h"
#include "colorhex.h"
#include "colorswatch.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "filmview.h"
#include "gbktext.h"
#include "optionpanel.h"
#include "pagewriter.h"
#include "previewpanel.h"
#include "prompts.h"
#include "runvalues.h"
#include "shellhelpers.h"
#include "statuspanels.h"
#include "unappliededits.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>

namespace quillet {

TForm_movie::TForm_movie(Prompts& prompts, const QStringList& args, const QString& programDir, QWidget* parent)
    : QMainWindow(parent), ShellOpenHook(ShellOpen), m_prompts(prompts), m_args(args) {
    setWindowTitle(QStringLiteral("Quillet"));
    QFont face;
    face.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei")});
    face.setPixelSize(12);
    setFont(face);
    setAcceptDrops(true);
    buildToolBar();
    buildClientArea();
    bsSkinStatusBar1 = new StatusPanels(this);
    setStatusBar(bsSkinStatusBar1);
    connect(bsSkinStatusBar1->Panl_Edit, &StatusPanel::clicked, this, &TForm_movie::Panl_EditClick);
    Timer = new QTimer(this);
    Timer->setInterval(1000);
    connectOptionPanel();
    connectPreview();
    // The click on another unit waits for the question about the current unit's fields.
    ScrollBox->setSelectionGuard([this] { return UnappliedEditsQuestion(); });
    resize(679, 468);
    move(254, 235);
    FormCreate(programDir);
}

TForm_movie::~TForm_movie() {
    ScrollBox->setStrip(nullptr);
}

void TForm_movie::buildClientArea() {
    auto* client = new QWidget(this);
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    MainPanel = new QWidget(client);
    MainPanel->setObjectName(QStringLiteral("MainPanel"));
    auto* film = new QHBoxLayout(MainPanel);
    film->setContentsMargins(0, 0, 0, 0);
    ScrollBox = new FilmView(MainPanel);
    film->addWidget(ScrollBox);

    PreViewPanel = new PreviewPanel(client);
    PreViewPanel->hide();
    pop_window = new OptionPanel(client);
    // Nothing to edit until a unit is current.
    pop_window->Box_AImg->setEnabled(false);
    m_unitEdits =
        std::make_unique<UnappliedEdits>(*pop_window->MemoText, *pop_window->Edit_color_u1, *pop_window->Edit_color_u2);

    row->addWidget(MainPanel, 1);
    row->addWidget(PreViewPanel, 1);
    row->addWidget(pop_window);
    setCentralWidget(client);
}

void TForm_movie::FormCreate(const QString& programDir) {
    RunValues& run = Run();
    run.ProgramDir = programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
    if (!run.ProgramDir.endsWith(QLatin1Char('/'))) run.ProgramDir += QLatin1Char('/');
    run.SettingsPath = run.ProgramDir + QStringLiteral("Tevrano.ini");
    run.ProgramName = ProgramBaseName();
    run.Language = QStringLiteral("chinese");
    run.TempDir = FindTempDir();

    run.DefaultFileName = QStringLiteral("new.mmt");
    bsSkinStatusBar1->bsSkinStatusPanel_4->showPlainText(run.DefaultFileName);

    FilmStrip = std::make_unique<TFilmPanel>();
    FilmStrip->SetDocFileName(run.ProgramDir + run.DefaultFileName);
    connect(FilmStrip.get(), &TFilmPanel::unitChanged, this, &TForm_movie::RefreshCurrentUnit, Qt::DirectConnection);
    ScrollBox->setStrip(FilmStrip.get());

    const QString scriptPath = run.ProgramDir + QStringLiteral("Script.txt");
    try {
        PageWriter = std::make_unique<THtmFP>(scriptPath);
    } catch (const FileError& e) {
        // The editor works without the template; only the export needs it, and says so.
        m_templateProblem = e.message();
    }

    LoadSettings(run.SettingsPath);
    bsBtnHResetClick();
    bsBtn_DfResetClick();
    FilmStrip->SetPageColor(pop_window->Lb_Color1->color());
    PreViewPanel->PreViewImage->Picture.fill(QColorOf(pop_window->Lb_Color1->color()));
    UpdateToolButtons();
    if (!startAutoSave()) OpenCommandLineFile();
}

void TForm_movie::setAboutWindow(QWidget* about) {
    m_about = about;
}

void TForm_movie::UpdateToolButtons() {
    QAction* const all[] = {TB_AddImg, TB_open, TB_New, TB_save, TB_delect, TB_Preplay, TB_SaveHtm, TB_up, TB_down};
    StatusPanel* const panels[] = {bsSkinStatusBar1->Panl_reload, bsSkinStatusBar1->Panl_Edit};
    if (FilmStrip->count() == 0) {
        TB_AddImg->setEnabled(true);
        TB_open->setEnabled(true);
        for (QAction* a : {TB_save, TB_delect, TB_Preplay, TB_SaveHtm, TB_up, TB_down})
            a->setEnabled(false);
        for (StatusPanel* p : panels)
            p->setEnabled(false);
    } else if (!PreViewPanel->isHidden()) {
        for (QAction* a : all)
            a->setEnabled(a == TB_Preplay);
    } else {
        for (QAction* a : all)
            a->setEnabled(true);
        for (StatusPanel* p : panels)
            p->setEnabled(true);
    }
}

void TForm_movie::RefreshCurrentUnit() {
    if (m_quietRefresh) return;
    StatusPanels& status = *bsSkinStatusBar1;
    if (FilmStrip && FilmStrip->currentIndex() >= 0) {
        const TAnsiImage& unit = FilmStrip->GetUnit(FilmStrip->currentIndex());
        status.bsSkinStatusPanel_0->setText(
            QStringLiteral("单元：%1/%2").arg(FilmStrip->currentIndex() + 1).arg(FilmStrip->count()));
        status.bsSkinStatusPanel_1->setText(QStringLiteral("尺寸：%1×%2").arg(unit.cols()).arg(unit.rows()));
        ShowColorFlag(unit.hasColor());
        TB_delect->setEnabled(true);
        ScrollBox->ensureCurrentVisible();
    } else {
        status.bsSkinStatusPanel_0->setText(QStringLiteral("单元：0/0"));
        status.bsSkinStatusPanel_1->setText(QStringLiteral("尺寸：0x0"));
        status.bsSkinStatusPanel_4->hideHint();
        for (QAction* a : {TB_SaveHtm, TB_up, TB_down, TB_delect, TB_save, TB_Preplay})
            a->setEnabled(false);
    }
    showCurrentUnitFields();
}

void TForm_movie::showCurrentUnitFields() {
    OptionPanel& panel = *pop_window;
    if (FilmStrip && FilmStrip->currentIndex() >= 0) {
        const TAnsiImage& unit = FilmStrip->GetUnit(FilmStrip->currentIndex());
        panel.Lb_Color_u1->setColor(unit.backColor());
        panel.Lb_Color_u2->setColor(unit.fontColor());
        panel.MemoText->setPlainText(DecodeGbkLines(unit.GetLines()));
        panel.Box_AImg->setEnabled(true);
    } else {
        panel.Lb_Color_u1->setColor(0xFFFFFF);
        panel.Lb_Color_u2->setColor(0);
        panel.MemoText->clear();
        panel.Box_AImg->setEnabled(false);
    }
    panel.Edit_color_u1->setText(ColorToHex(panel.Lb_Color_u1->color()));
    panel.Edit_color_u2->setText(ColorToHex(panel.Lb_Color_u2->color()));
    m_unitEdits->settle();
}

void TForm_movie::ShowFileName(const QString& name) {
    bsSkinStatusBar1->bsSkinStatusPanel_4->ShowFileName(name);
}

void TForm_movie::ShowColorFlag(bool flag) {
    bsSkinStatusBar1->ShowColorFlag(flag);
}

void TForm_movie::OpenCommandLineFile() {
    if (m_args.isEmpty()) return;
    const QString name = m_args.constFirst();
    const QFileInfo info(name);
    if (!info.isFile()) return;
    const QString extension = ExtensionOf(name);
    if (extension == QLatin1String("mmt")) {
        reportErrors([&] { LoadFromFile(info.absoluteFilePath()); });
        UpdateToolButtons();
    } else if (extension == QLatin1String("txt")) {
        addTextPage(info.absoluteFilePath());
        UpdateToolButtons();
    }
}

bool TForm_movie::reportErrors(const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const FileError& e) {
        m_prompts.critical(e.message());
    } catch (const std::exception& e) {
        m_prompts.critical(QString::fromUtf8(e.what()));
    }
    return false;
}

void TForm_movie::TB_help1Click() {
    ShellOpenHook(Run().ProgramDir + QStringLiteral("help.htm"));
}

void TForm_movie::TB_aboutClick() {
    if (!m_about) return;
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void TForm_movie::Panl_EditClick() {
    if (FilmStrip->currentIndex() < 0) return;
    const QString source = FilmStrip->GetUnit(FilmStrip->currentIndex()).fileName();
    if (!source.isEmpty() && QFileInfo::exists(source)) ShellOpenHook(source);
}

void TForm_movie::closeEvent(QCloseEvent* event) {
    // Cancel, or a save that was cancelled or failed, keeps the window and its document.
    if (!mayLeaveDocument()) {
        event->ignore();
        return;
    }
    Timer->stop();
    AutoSave->discard();
    SaveSettings(Run().SettingsPath);
    // The run ends with this window, also when the about window is open.
    if (m_about) m_about->hide();
    event->accept();
}

void TForm_movie::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile()) return;
    const QString extension = ExtensionOf(urls.constFirst().toLocalFile());
    if (extension == QLatin1String("mmt") || extension == QLatin1String("txt")) event->acceptProposedAction();
}

void TForm_movie::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile()) return;
    const QString name = urls.constFirst().toLocalFile();
    if (!QFileInfo(name).isFile()) return;
    event->acceptProposedAction();
    const QString extension = ExtensionOf(name);
    // Like the command line, but with the open and add commands' own checks, since a document may
    // already be there.
    if (extension == QLatin1String("mmt") && TB_open->isEnabled()) {
        if (mayLeaveDocument()) openDocument(name);
    } else if (extension == QLatin1String("txt") && TB_AddImg->isEnabled()) {
        if (FilmStrip->count() >= TFilmPanel::kMaxUnits) {
            m_prompts.message(QStringLiteral("已到达单元数上限"));
            return;
        }
        if (!UnappliedEditsQuestion()) return;
        if (addTextPage(name)) {
            LastTextFile = name;
            Modified = true;
            UpdateToolButtons();
            RefreshCurrentUnit();
        }
    }
}

} // namespace quillet

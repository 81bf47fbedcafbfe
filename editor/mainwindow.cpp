#include "mainwindow.h"

#include "animationexportcommand.h"
#include "autosave.h"
#include "celleditorpane.h"
#include "colorconvert.h"
#include "editoractions.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "filmview.h"
#include "gbktext.h"
#include "optionpanel.h"
#include "pagewriter.h"
#include "previewpanel.h"
#include "prompts.h"
#include "qttranslation.h"
#include "runvalues.h"
#include "shellhelpers.h"
#include "statuspanels.h"
#include "undohistory.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>

namespace quillet {

TForm_movie::TForm_movie(Prompts& prompts, const QStringList& args, const QString& programDir, QWidget* parent)
    : QMainWindow(parent), FilmStrip(std::make_unique<TFilmPanel>()),
      m_history(std::make_unique<UndoHistory>(*FilmStrip)), ShellOpenHook(ShellOpen), m_prompts(prompts), m_args(args) {
    QFont face;
    face.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei")});
    face.setPixelSize(12);
    setFont(face);
    setAcceptDrops(true);
    buildClientArea();
    buildToolBar();
    bsSkinStatusBar1 = new StatusPanels(this);
    setStatusBar(bsSkinStatusBar1);
    connect(bsSkinStatusBar1, &StatusPanels::editSourceRequested, this, &TForm_movie::Panl_EditClick);
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1000);
    connectActions();
    connectOptionPanel();
    connectPreview();
    connectCellEditor();
    connect(ScrollBox, &FilmView::unitSelectionRequested, this, &TForm_movie::selectUnit);
    resize(679, 468);
    move(254, 235);
    FormCreate(programDir);
}

TForm_movie::~TForm_movie() {
    ScrollBox->setStrip(nullptr);
    // The cell editor edits the document, which goes before the window's widgets do.
    delete m_cellEditor;
}

void TForm_movie::buildToolBar() {
    bsSkinToolBar4 = new QToolBar(this);
    bsSkinToolBar4->setObjectName(QStringLiteral("bsSkinToolBar4"));
    bsSkinToolBar4->setMovable(false);
    bsSkinToolBar4->setFloatable(false);
    bsSkinToolBar4->setIconSize(QSize(16, 16));
    bsSkinToolBar4->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, bsSkinToolBar4);
    m_actions = new EditorActions(this, ScrollBox, m_history->stack());
    m_actions->fillToolBar(bsSkinToolBar4);
    m_actions->fillMenuBar(menuBar(),
                           {PreViewPanel->pauseAction, PreViewPanel->stepBackAction, PreViewPanel->stepForwardAction});
}

void TForm_movie::connectActions() {
    const EditorActions& a = *m_actions;
    connect(a.TB_open, &QAction::triggered, this, &TForm_movie::TB_openClick);
    connect(a.TB_New, &QAction::triggered, this, &TForm_movie::TB_NewClick);
    connect(a.TB_save, &QAction::triggered, this, &TForm_movie::TB_save1Click);
    connect(a.TB_SaveHtm, &QAction::triggered, this, &TForm_movie::TB_SaveHtmClick);
    connect(a.TB_AddImg, &QAction::triggered, this, &TForm_movie::TB_AddImgClick);
    connect(a.TB_delect, &QAction::triggered, this, &TForm_movie::TB_delect1Click);
    connect(a.TB_up, &QAction::triggered, this, [this] { TB_up1Click(m_actions->TB_up); });
    connect(a.TB_down, &QAction::triggered, this, [this] { TB_up1Click(m_actions->TB_down); });
    connect(a.TB_Preplay, &QAction::triggered, this, &TForm_movie::TB_PreplayClick);
    connect(a.TB_ifo, &QAction::triggered, this, &TForm_movie::TB_ifoClick);
    connect(a.TB_about, &QAction::triggered, this, &TForm_movie::TB_aboutClick);
    connect(a.TB_help, &QAction::triggered, this, &TForm_movie::TB_help1Click);
    // Save as is the save command's dialog, which always asks for the name.
    connect(a.saveAs, &QAction::triggered, this, &TForm_movie::TB_save1Click);
    connect(a.quit, &QAction::triggered, this, &QWidget::close);
    connect(a.undo, &QAction::triggered, this, &TForm_movie::undoStep);
    connect(a.redo, &QAction::triggered, this, &TForm_movie::redoStep);
    connect(a.cutUnit, &QAction::triggered, this, &TForm_movie::cutCurrentUnit);
    connect(a.copyUnit, &QAction::triggered, this, &TForm_movie::copyCurrentUnit);
    connect(a.pasteUnit, &QAction::triggered, this, &TForm_movie::pasteUnits);
    connect(a.duplicateUnit, &QAction::triggered, this, &TForm_movie::duplicateCurrentUnit);
    connect(a.insertBlankUnit, &QAction::triggered, this, &TForm_movie::insertBlankUnit);
    m_animationExport = new AnimationExportCommand(this, m_prompts, m_dialogFolder);
    connect(a.exportAnimation, &QAction::triggered, this, [this] {
        const QFileInfo page(exportProposal());
        m_animationExport->run(*FilmStrip, ScrollBox->pictures(), pageOptions,
                               page.path() + QLatin1Char('/') + page.completeBaseName());
    });
    connect(m_history.get(), &UndoHistory::modifiedChanged, this,
            [this](bool modified) { setModified(modified || m_changedOutsideHistory); });
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
    m_cellEditor = new CellEditorPane(*FilmStrip, *m_history, ScrollBox->pictures(), client);
    m_cellEditor->hide();
    pop_window = new OptionPanel(client);

    row->addWidget(MainPanel, 1);
    row->addWidget(PreViewPanel, 1);
    row->addWidget(m_cellEditor, 1);
    row->addWidget(pop_window);
    setCentralWidget(client);
}

void TForm_movie::FormCreate(const QString& programDir) {
    RunValues& run = Run();
    run.ProgramDir = programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
    if (!run.ProgramDir.endsWith(QLatin1Char('/'))) run.ProgramDir += QLatin1Char('/');
    run.SettingsPath = run.ProgramDir + QStringLiteral("Tevrano.ini");
    run.ProgramName = ProgramBaseName();
    run.Language = DefaultLanguageName();
    run.TempDir = FindTempDir();

    run.DefaultFileName = QStringLiteral("new.mmt");
    bsSkinStatusBar1->showPlainFileName(run.DefaultFileName);

    FilmStrip->SetDocFileName(run.ProgramDir + run.DefaultFileName);
    updateTitle();
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
    FilmStrip->SetPageColor(pop_window->pageColor());
    PreViewPanel->fillPicture(QColorOf(pop_window->pageColor()));
    UpdateToolButtons();
    if (!startAutoSave()) OpenCommandLineFile();
}

void TForm_movie::setAboutWindow(QWidget* about) {
    m_about = about;
}

const TFilmPanel& TForm_movie::document() const {
    return *FilmStrip;
}

const QUndoStack& TForm_movie::undoStack() const {
    return *m_history->stack();
}

bool TForm_movie::isModified() const {
    return Modified;
}

void TForm_movie::setShellOpenHook(std::function<void(const QString&)> hook) {
    ShellOpenHook = std::move(hook);
}

void TForm_movie::setModified(bool modified) {
    Modified = modified;
    setWindowModified(modified);
}

void TForm_movie::markChangedOutsideHistory() {
    m_changedOutsideHistory = true;
    setModified(true);
}

void TForm_movie::updateTitle() {
    setWindowTitle(QFileInfo(FilmStrip->docFileName()).fileName() + QStringLiteral("[*] — Quillet"));
}

void TForm_movie::UpdateToolButtons() {
    const bool previewOpen = !PreViewPanel->isHidden();
    m_actions->updateEnabled(FilmStrip->count(), previewOpen);
    // While the preview is open the status panels stay as they were.
    if (FilmStrip->count() == 0)
        bsSkinStatusBar1->setUnitPanelsEnabled(false);
    else if (!previewOpen)
        bsSkinStatusBar1->setUnitPanelsEnabled(true);
}

void TForm_movie::RefreshCurrentUnit() {
    if (m_quietRefresh) return;
    if (FilmStrip && FilmStrip->currentIndex() >= 0) {
        const TAnsiImage& unit = FilmStrip->GetUnit(FilmStrip->currentIndex());
        bsSkinStatusBar1->showUnit(FilmStrip->currentIndex() + 1, FilmStrip->count(), unit.cols(), unit.rows(),
                                   unit.hasColor());
        m_actions->currentUnitShown();
        ScrollBox->ensureCurrentVisible();
    } else {
        bsSkinStatusBar1->showNoUnit();
        m_actions->noCurrentUnit();
    }
    showCurrentUnitFields();
}

void TForm_movie::selectUnit(int index) {
    // The click on another unit waits for the question about the current unit's fields.
    if (!UnappliedEditsQuestion()) return;
    FilmStrip->UnitClick(FilmStrip->GetUnit(index));
}

void TForm_movie::showCurrentUnitFields() {
    if (FilmStrip && FilmStrip->currentIndex() >= 0) {
        const TAnsiImage& unit = FilmStrip->GetUnit(FilmStrip->currentIndex());
        pop_window->showUnit({unit.backColor(), unit.fontColor()}, DecodeGbkLines(unit.GetLines()), unit.duration());
    } else {
        pop_window->showNoUnit();
    }
}

void TForm_movie::ShowFileName(const QString& name) {
    bsSkinStatusBar1->showFileName(name);
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
        // The page the editor starts with is where the history begins: the document is unchanged.
        addTextPage(info.absoluteFilePath());
        m_history->clear();
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
    const bool english = CurrentInterfaceLanguage() == InterfaceLanguage::English;
    ShellOpenHook(Run().ProgramDir + (english ? QStringLiteral("help_en.htm") : QStringLiteral("help.htm")));
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
    if (extension == QLatin1String("mmt") && m_actions->TB_open->isEnabled()) {
        if (mayLeaveDocument()) openDocument(name);
    } else if (extension == QLatin1String("txt") && m_actions->TB_AddImg->isEnabled()) {
        if (FilmStrip->count() >= TFilmPanel::kMaxUnits) {
            m_prompts.message(tr("已到达单元数上限"));
            return;
        }
        if (!UnappliedEditsQuestion()) return;
        if (addTextPage(name)) {
            LastTextFile = name;
            textPageAdded();
        }
    }
}

} // namespace quillet

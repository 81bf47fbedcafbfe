#include "aboutwindow.h"

#include "fileerror.h"
#include "languagetable.h"
#include "projectinfo.h"
#include "runvalues.h"
#include "shellhelpers.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <optional>

namespace quillet {

namespace {

QString programDir() {
    const QString dir = Run().ProgramDir;
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() + QLatin1Char('/') : dir;
}

// The skinned bars drew their controls with the skin's own small font.
QFont barFont() {
    QFont font(QStringLiteral("AR PL UMing CN"));
    font.setPixelSize(12);
    return font;
}

QToolButton* barButton(QWidget* bar, QStyle::StandardPixmap picture, const QString& hint) {
    auto* button = new QToolButton(bar);
    button->setIcon(bar->style()->standardIcon(picture));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFixedSize(25, 22);
    bar->layout()->addWidget(button);
    return button;
}

} // namespace

Taboutform::Taboutform(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(tr("关于【Quillet】"));
    // Closing the main window ends the run even while this window is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xE1)); // clInfoBk
    setPalette(colours);
    setAutoFillBackground(true);
    QFont font(QStringLiteral("AR PL UMing CN"));
    font.setPixelSize(16);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildAddressBar();
    buildButtonBar();
    layout->addWidget(bsSkinPanel1);
    layout->addWidget(bsSkinPanel3);

    move(194, 145);
    resize(658, 411);
    FormCreate();
}

void Taboutform::buildAddressBar() {
    bsSkinPanel1 = new QWidget(this);
    bsSkinPanel1->setFixedHeight(25);
    bsSkinPanel1->setFont(barFont());
    auto* row = new QHBoxLayout(bsSkinPanel1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    bsSkinPanel2 = new QWidget(bsSkinPanel1);
    bsSkinPanel2->setFixedWidth(120);
    note = new QLabel(tr("网址："), bsSkinPanel2);
    auto* noteRow = new QHBoxLayout(bsSkinPanel2);
    noteRow->setContentsMargins(2, 0, 0, 0);
    noteRow->addWidget(note);

    Edit_input = new QLineEdit(bsSkinPanel1);
    Edit_input->installEventFilter(this);

    bsSkinButton1 = new QPushButton(tr("确定"), bsSkinPanel1);
    bsSkinButton1->setFixedWidth(47);
    connect(bsSkinButton1, &QPushButton::clicked, this, &Taboutform::bsSkinButton1Click);

    row->addWidget(bsSkinPanel2);
    row->addWidget(Edit_input, 1);
    row->addWidget(bsSkinButton1);
}

void Taboutform::buildButtonBar() {
    bsSkinPanel3 = new QWidget(this);
    bsSkinPanel3->setFixedHeight(26);
    bsSkinPanel3->setFont(barFont());

    auto* row = new QHBoxLayout(bsSkinPanel3);
    row->setContentsMargins(1, 2, 0, 0);
    row->setSpacing(0);
    bsSkinSB_backword = barButton(bsSkinPanel3, QStyle::SP_ArrowBack, tr("后退"));
    bsSkinSB_forward = barButton(bsSkinPanel3, QStyle::SP_ArrowForward, tr("前进"));
    bsSkinSB_forward->setEnabled(false);
    bsSkinSB_about = barButton(bsSkinPanel3, QStyle::SP_MessageBoxInformation, tr("关于本软件"));
    bsSkinSB_home =
        barButton(bsSkinPanel3, QStyle::SP_DirHomeIcon, tr("访问主页%1").arg(QLatin1String(projectinfo::HomePage)));
    bsSkinSB_email = barButton(bsSkinPanel3, QStyle::SP_FileDialogContentsView, tr("欢迎给我来信"));
    bsSkinSB_bbs = barButton(bsSkinPanel3, QStyle::SP_FileDialogDetailedView, tr("欢迎给我留言"));
    row->addStretch(1);
    bsSkinSpeedButton1 = barButton(bsSkinPanel3, QStyle::SP_ComputerIcon, tr("导出到IE浏览器"));
    bsSkinSpeedButton1->setFixedSize(25, 24);

    connect(bsSkinSB_backword, &QToolButton::clicked, this, &Taboutform::bsSkinSB_backwordClick);
    connect(bsSkinSB_forward, &QToolButton::clicked, this, &Taboutform::bsSkinSB_forwardClick);
    connect(bsSkinSB_about, &QToolButton::clicked, this, &Taboutform::bsSkinSB_aboutClick);
    connect(bsSkinSB_home, &QToolButton::clicked, this, &Taboutform::bsSkinSB_homeClick);
    connect(bsSkinSB_email, &QToolButton::clicked, this, &Taboutform::bsSkinSB_emailClick);
    connect(bsSkinSB_bbs, &QToolButton::clicked, this, &Taboutform::bsSkinSB_bbsClick);
    connect(bsSkinSpeedButton1, &QToolButton::clicked, this, &Taboutform::bsSkinSpeedButton1Click);
}

void Taboutform::FormCreate() {
    AboutLanguage = QStringLiteral("chinese");
    SetAboutLanguage(AboutLanguage);
    bsSkinPanel2->setFixedWidth(40);
    AboutPageURL = QUrl::fromLocalFile(programDir() + QStringLiteral("readme.htm")).toString();
    LastURL = AboutPageURL;
    navigate(QUrl(AboutPageURL));
}

void Taboutform::SetAboutLanguage(const QString& language) {
    const QString path = FindLanguageTable(programDir(), language);
    if (path.isEmpty()) return;
    std::optional<QMap<int, QString>> read;
    try {
        read = ReadLanguageTableFile(path);
    } catch (const FileError& e) {
        reportProblem(e.message());
    }
    if (read) {
        const QMap<int, QString>& table = *read;
        const auto apply = [&table](int number, auto setter) {
            const auto found = table.constFind(number);
            if (found != table.constEnd()) setter(*found);
        };
        apply(1, [this](const QString& text) { note->setText(text); });
        apply(2, [this](const QString& text) { bsSkinButton1->setText(text); });
        apply(3, [this](const QString& text) { bsSkinSB_backword->setToolTip(text); });
        apply(4, [this](const QString& text) { bsSkinSB_forward->setToolTip(text); });
        apply(5, [this](const QString& text) { bsSkinSB_about->setToolTip(text); });
        apply(6, [this](const QString& text) { bsSkinSB_home->setToolTip(text); });
        apply(7, [this](const QString& text) { bsSkinSB_email->setToolTip(text); });
        apply(8, [this](const QString& text) { bsSkinSB_bbs->setToolTip(text); });
        apply(10, [this](const QString& text) { bsSkinSpeedButton1->setToolTip(text); });
    }
    if (!AboutPageURL.isEmpty()) navigate(QUrl(AboutPageURL));
}

void Taboutform::reportProblem(const QString& text) {
    // Not modal: the table is read also while the window is built, before the run's event loop.
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void Taboutform::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!WebBrowser) createWebBrowser();
    FormShow();
}

void Taboutform::FormShow() {
    // Compared exactly: the stored "Chinese" differs from the "chinese" applied at creation.
    if (AboutLanguage != Run().Language) {
        AboutLanguage = Run().Language;
        SetAboutLanguage(AboutLanguage);
    }
    Edit_input->setFocus();
}

void Taboutform::createWebBrowser() {
    WebBrowser = new QWebEngineView(this);
    WebBrowser->setCursor(Qt::ArrowCursor);
    connect(WebBrowser, &QWebEngineView::loadStarted, this, &Taboutform::WebBrowserDownloadBegin);
    connect(WebBrowser, &QWebEngineView::loadFinished, this, &Taboutform::WebBrowserNavigateComplete2);
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, WebBrowser, 1);
    if (!pendingURL.isEmpty()) WebBrowser->load(pendingURL);
    pendingURL.clear();
}

void Taboutform::navigate(const QUrl& url) {
    if (WebBrowser)
        WebBrowser->load(url);
    else
        pendingURL = url;
}

QString Taboutform::currentAddress() const {
    return WebBrowser ? WebBrowser->url().toString() : LastURL;
}

bool Taboutform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit_input && event->type() == QEvent::KeyPress)
        return Edit_inputKeyDown(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

bool Taboutform::Edit_inputKeyDown(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
    bsSkinButton1Click();
    return true;
}

void Taboutform::bsSkinButton1Click() {
    navigate(QUrl::fromUserInput(Edit_input->text()));
}

void Taboutform::bsSkinSB_backwordClick() {
    if (WebBrowser && WebBrowser->history()->canGoBack()) {
        WebBrowser->back();
        bsSkinSB_forward->setEnabled(true);
    } else {
        bsSkinSB_backword->setEnabled(false);
    }
}

void Taboutform::bsSkinSB_forwardClick() {
    if (WebBrowser && WebBrowser->history()->canGoForward())
        WebBrowser->forward();
    else
        bsSkinSB_forward->setEnabled(false);
}

void Taboutform::bsSkinSB_aboutClick() {
    navigate(QUrl(AboutPageURL));
}

void Taboutform::bsSkinSB_homeClick() {
    navigate(QUrl(QLatin1String(projectinfo::HomePage)));
}

void Taboutform::bsSkinSB_bbsClick() {
    navigate(QUrl(QLatin1String(projectinfo::GuestbookPage)));
}

void Taboutform::bsSkinSB_emailClick() {
    ShellOpen(QStringLiteral("mailto:") + QLatin1String(projectinfo::EmailAddress));
}

void Taboutform::bsSkinSpeedButton1Click() {
    const QString address = currentAddress();
    for (const char* browser : {"x-www-browser", "firefox", "chromium"}) {
        const QString program = QStandardPaths::findExecutable(QLatin1String(browser));
        if (!program.isEmpty()) {
            QProcess::startDetached(program, {address});
            return;
        }
    }
    ShellOpen(address);
}

void Taboutform::WebBrowserNavigateComplete2() {
    const QString address = WebBrowser->url().toString();
    if (address != LastURL) {
        LastURL = address;
        bsSkinSB_backword->setEnabled(true);
    }
    Edit_input->setText(address);
    WebBrowser->setCursor(Qt::ArrowCursor);
}

void Taboutform::WebBrowserDownloadBegin() {
    WebBrowser->setCursor(Qt::BusyCursor);
}

} // namespace quillet

#include "editorfixture.h"

#include "ansiimage.h"
#include "autosave.h"
#include "filmpanel.h"
#include "filmview.h"
#include "optionpanel.h"
#include "previewpanel.h"
#include "statuspanels.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace quillet {

EditorFixture::EditorFixture(bool withTemplate) {
    if (withTemplate)
        QFile::copy(QStringLiteral(QUILLET_RUNTIME_DIR "/Script.txt"), programDir() + QStringLiteral("Script.txt"));
}

EditorFixture::~EditorFixture() = default;

TForm_movie& EditorFixture::start(const QStringList& args) {
    qputenv("XDG_STATE_HOME", QFile::encodeName(stateDir()));
    window = std::make_unique<TForm_movie>(prompts, args, programDir());
    window->setShellOpenHook([this](const QString& target) { shellOpened << target; });
    return *window;
}

QString EditorFixture::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString path = programDir() + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return QString();
    file.write(bytes);
    return path;
}

QString EditorFixture::textPage(const QString& name, int rows, int cols) const {
    QByteArray text;
    for (int r = 0; r < rows; ++r)
        text += QByteArray(cols, static_cast<char>('a' + r % 26)) + "\r\n";
    return writeFile(name, text);
}

QString EditorFixture::animationFile(const QString& name, int records) const {
    QByteArray bytes;
    for (int k = 0; k < records; ++k) {
        TAnsiImage unit;
        unit.setByteMode(bmSingleByte);
        unit.Clear();
        unit.SetLines({QByteArray("unit ") + QByteArray::number(k)});
        bytes += unit.SaveToRecord();
    }
    return writeFile(name, bytes);
}

void EditorFixture::addPages(int count, int rows) {
    for (int k = 0; k < count; ++k) {
        prompts.openNames << textPage(QStringLiteral("pages/page%1.txt").arg(k), rows);
        trigger(*window, "TB_AddImg");
    }
}

QString EditorFixture::saveAs(const QString& name) {
    const QString path = programDir() + name;
    prompts.saveNames << path;
    trigger(*window, "TB_save");
    return path;
}

QByteArray EditorFixture::exportPage() {
    const QString page = programDir() + QStringLiteral("page.htm");
    prompts.saveNames << page;
    if (QFile::exists(page)) prompts.confirms << true;
    trigger(*window, "TB_SaveHtm");
    QFile file(page);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no page)");
}

QString EditorFixture::status0() const {
    return statusBar(*window).bsSkinStatusPanel_0->text();
}
QString EditorFixture::status1() const {
    return statusBar(*window).bsSkinStatusPanel_1->text();
}

namespace {

template <typename T> T& part(const TForm_movie& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found) qFatal("the window has no %s", name);
    return *found;
}

} // namespace

QAction& action(const TForm_movie& window, const char* name) {
    return part<QAction>(window, name);
}
QToolBar& toolBar(const TForm_movie& window) {
    return part<QToolBar>(window, "bsSkinToolBar4");
}
OptionPanel& optionPanel(const TForm_movie& window) {
    return part<OptionPanel>(window, "pop_window");
}
PreviewPanel& previewPanel(const TForm_movie& window) {
    return part<PreviewPanel>(window, "PreViewPanel");
}
StatusPanels& statusBar(const TForm_movie& window) {
    return part<StatusPanels>(window, "bsSkinStatusBar1");
}
FilmView& filmView(const TForm_movie& window) {
    return part<FilmView>(window, "ScrollBox");
}
QWidget& mainPanel(const TForm_movie& window) {
    return part<QWidget>(window, "MainPanel");
}
QTimer& previewTimer(const TForm_movie& window) {
    return part<QTimer>(window, "Timer");
}
AutoSaver& autoSaver(const TForm_movie& window) {
    return part<AutoSaver>(window, "AutoSave");
}

void trigger(const TForm_movie& window, const char* name) {
    action(window, name).trigger();
}

void previewTick(const TForm_movie& window) {
    if (!QMetaObject::invokeMethod(&previewTimer(window), "timeout", Qt::DirectConnection))
        qFatal("the preview timer did not tick");
}

int previewInterval(const TForm_movie& window) {
    return previewPanel(window).PreViewSpeedCaption->text().toInt();
}

void selectUnit(const TForm_movie& window, int index) {
    const TFilmPanel& strip = window.document();
    while (strip.currentIndex() != index) {
        const int before = strip.currentIndex();
        QTest::keyClick(&filmView(window), index < before ? Qt::Key_Up : Qt::Key_Down);
        if (strip.currentIndex() == before) return;
    }
}

void dropFile(TForm_movie& window, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return;
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &event);
}

QByteArray fileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray stripRecords(const TFilmPanel& strip) {
    QByteArray bytes;
    for (int k = 0; k < strip.count(); ++k)
        bytes += strip.GetUnit(k).SaveToRecord();
    return bytes;
}

} // namespace quillet

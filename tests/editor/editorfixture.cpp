#include "editorfixture.h"

#include "ansiimage.h"
#include "filmpanel.h"
#include "statuspanels.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
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
    window->ShellOpenHook = [this](const QString& target) { shellOpened << target; };
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
        window->TB_AddImgClick();
    }
}

QString EditorFixture::status0() const {
    return window->bsSkinStatusBar1->bsSkinStatusPanel_0->text();
}
QString EditorFixture::status1() const {
    return window->bsSkinStatusBar1->bsSkinStatusPanel_1->text();
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

// The settings file as the window uses it: read once at start-up, written once at close.
#include "mainwindow.h"

#include "fileerror.h"
#include "filmpanel.h"
#include "optionpanel.h"
#include "previewpanel.h"
#include "previewspeed.h"
#include "prompts.h"
#include "runvalues.h"
#include "settings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace quillet {

namespace {

// The stored size is the outer one, frame included, but a window is sized without its frame, and
// the window manager adds the frame only after the window is shown. Once the frame is there, the
// window is made smaller by it, so a run that changes nothing writes back the size it read.
class OuterSizeKeeper : public QObject {
public:
    OuterSizeKeeper(QWidget* window, QSize outer) : QObject(window), m_outer(outer) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() != QEvent::Move && event->type() != QEvent::Resize && event->type() != QEvent::Show)
            return false;
        if (!window->isVisible()) return false;
        const QSize frame = window->frameGeometry().size() - window->geometry().size();
        if (frame.isNull() && !window->isMaximized()) return false;
        window->removeEventFilter(this);
        if (!window->isMaximized() && !window->isFullScreen()) window->resize(m_outer - frame);
        deleteLater();
        return false;
    }

private:
    QSize m_outer;
};

QList<QRect> screenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->geometry();
    return areas;
}

} // namespace

void TForm_movie::LoadSettings(const QString& path) {
    std::optional<StoredSettings> stored;
    try {
        stored = LoadSettingsFile(path);
    } catch (const FileError& e) {
        m_settingsUnread = true;
        m_prompts.critical(e.message());
    }
    if (stored) {
        Run().Language = stored->language;

        const QScreen* primary = QGuiApplication::primaryScreen();
        const WindowPlace place =
            PlaceWindowOnScreens({stored->windowLeft, stored->windowTop, stored->windowWidth, stored->windowHeight},
                                 screenAreas(), primary ? primary->geometry() : QRect());
        resize(std::max(place.width, 1), std::max(place.height, 1));
        move(place.left, place.top);
        installEventFilter(new OuterSizeKeeper(this, size()));

        // The title and the buttons are not stored: they start empty and off.
        pageOptions = stored->page;
        PreViewPanel->setSpeedBarPosition(SpeedBarPositionFromSpeed(pageOptions.speed));
        FilmStrip->SetDefaultColors(stored->defaultBackColor, stored->defaultFontColor);
        FilmStrip->SetByteMode(stored->defaultByteMode);
        pop_window->showByteMode(stored->defaultByteMode);
    }
    // Also when the bar kept its place: the interval always follows the bar once settings are read.
    PreView_SpeedBarChange();
}

void TForm_movie::SaveSettings(const QString& path) {
    if (m_settingsUnread) return;
    StoredSettings values;
    values.language = Run().Language;
    const QRect outer = frameGeometry();
    values.windowLeft = outer.left();
    values.windowTop = outer.top();
    values.windowWidth = outer.width();
    values.windowHeight = outer.height();
    values.page = pageOptions;
    values.defaultFontColor = FilmStrip->defaultFontColor();
    values.defaultBackColor = FilmStrip->defaultBackColor();
    const QScreen* own = screen();
    const int screenWidth = own ? own->geometry().width() : 0;
    try {
        SaveSettingsFile(path, values, ShouldWriteWindowPlace(outer.width(), screenWidth, isMaximized()));
    } catch (const FileError& e) {
        m_prompts.critical(e.message());
    }
}

} // namespace quillet

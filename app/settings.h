#pragma once

#include "ansicell.h"
#include "pageoptions.h"

#include <QList>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>

namespace quillet {

class IniFile;

// The values kept in the settings file; each member starts at the value a missing key stands for.
struct StoredSettings {
    QString language = QStringLiteral("Chinese"); // display/language
    std::int32_t windowWidth = 640;               // display/window_width
    std::int32_t windowHeight = 480;              // display/window_height
    std::int32_t windowLeft = 0;                  // display/window_left
    std::int32_t windowTop = 0;                   // display/window_top
    // Html/back_color and Html/font_color, the file's texts as GBK bytes, and Html/speed. The title
    // and the buttons are not kept between runs: they stay empty and off.
    PageOptions page{QByteArray(), "FFFFFF", "000000", 100, false};
    // The back_color or font_color text as the file holds it when GBK cannot hold all of it (`page`
    // then has a '?' for each such character); otherwise empty.
    QString unencodableBackColor;
    QString unencodableFontColor;
    TColor defaultFontColor = 0;        // FilmPanel/Default_FontColor, text colour of new units
    TColor defaultBackColor = 0xFFFFFF; // FilmPanel/Default_BackColor, background of new units
    std::int32_t defaultByteMode = 0;   // FilmPanel/Default_ByteMode, read but never written
};

// Every key of the file, in the order display, Html, FilmPanel; a missing key or an integer that
// does not parse gives the member's initial value.
StoredSettings ReadSettings(const IniFile& file);

// The settings file at path, or nullopt when no file is there. Throws FileError when it exists but
// cannot be read, or when the system cannot tell whether it is there (a folder that may not be searched).
std::optional<StoredSettings> LoadSettingsFile(const QString& path);

// Writes display/language, the four window keys when writeWindowPlace is true (otherwise the file
// keeps the ones it has), Html/back_color and font_color (the page colour texts decoded from GBK)
// and speed, and FilmPanel/Default_FontColor and Default_BackColor, in that order. Default_ByteMode
// is left as the file has it. Integers in decimal; every other line of the file stays as it is.
void WriteSettings(IniFile& file, const StoredSettings& values, bool writeWindowPlace);

// When the file at path exists: reads it, writes the values as WriteSettings does and saves it;
// returns true. When no file is there: returns false at once and creates nothing.
// Throws FileError when the file cannot be read or written; a failed write leaves the file as it was.
bool SaveSettingsFile(const QString& path, const StoredSettings& values, bool writeWindowPlace);

// Whether closing writes the window's size and place: only when it is not maximised and its outer
// width is less than the screen width minus 5 pixels.
bool ShouldWriteWindowPlace(int windowWidth, int screenWidth, bool maximised);

// A window's outer size and place as stored, with no limits on the numbers.
struct WindowPlace {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The stored place unchanged when the window overlaps at least one of the screens (a size below one
// pixel counts as one pixel); otherwise the same size moved the shortest way into the primary
// screen, its top left corner on the screen's when it is larger than the screen. Unchanged when the
// list of screens is empty.
WindowPlace PlaceWindowOnScreens(const WindowPlace& stored, const QList<QRect>& screens, const QRect& primary);

} // namespace quillet

#include "settings.h"

#include "fileerror.h"
#include "gbktext.h"
#include "inifile.h"
#include "pathcheck.h"

#include <QFileInfo>

#include <algorithm>

namespace quillet {

namespace {

const QString kDisplay = QStringLiteral("display");
const QString kHtml = QStringLiteral("Html");
const QString kFilmPanel = QStringLiteral("FilmPanel");

void readInt(const IniFile& file, const QString& section, const QString& key, std::int32_t& target) {
    if (const auto value = file.intValue(section, key))
        target = *value;
}

// The key's text as GBK bytes; when GBK cannot hold all of it, the text is kept in unencodable.
void readCodePageText(const IniFile& file, const QString& key, QByteArray& target, QString& unencodable) {
    if (!file.contains(kHtml, key)) return;
    const QString text = file.value(kHtml, key);
    QStringList missing;
    target = EncodeGbkText(text, &missing);
    if (!missing.isEmpty()) unencodable = text;
}

// [start, start + length) with length at least 1, in 64 bits so no stored number overflows.
bool overlaps(std::int64_t start, std::int64_t length, std::int64_t screenStart, std::int64_t screenLength) {
    const std::int64_t end = start + std::max<std::int64_t>(length, 1);
    return start < screenStart + screenLength && screenStart < end;
}

std::int32_t moveInto(std::int64_t start, std::int64_t length, std::int64_t screenStart, std::int64_t screenLength) {
    length = std::max<std::int64_t>(length, 1);
    if (length >= screenLength)
        return static_cast<std::int32_t>(screenStart);
    return static_cast<std::int32_t>(std::clamp(start, screenStart, screenStart + screenLength - length));
}

} // namespace

StoredSettings ReadSettings(const IniFile& file) {
    StoredSettings s;
    s.language = file.value(kDisplay, QStringLiteral("language"), s.language);
    readInt(file, kDisplay, QStringLiteral("window_width"), s.windowWidth);
    readInt(file, kDisplay, QStringLiteral("window_height"), s.windowHeight);
    readInt(file, kDisplay, QStringLiteral("window_left"), s.windowLeft);
    readInt(file, kDisplay, QStringLiteral("window_top"), s.windowTop);
    readCodePageText(file, QStringLiteral("back_color"), s.page.backColorHex, s.unencodableBackColor);
    readCodePageText(file, QStringLiteral("font_color"), s.page.fontColorHex, s.unencodableFontColor);
    readInt(file, kHtml, QStringLiteral("speed"), s.page.speed);
    readInt(file, kFilmPanel, QStringLiteral("Default_FontColor"), s.defaultFontColor);
    readInt(file, kFilmPanel, QStringLiteral("Default_BackColor"), s.defaultBackColor);
    readInt(file, kFilmPanel, QStringLiteral("Default_ByteMode"), s.defaultByteMode);
    return s;
}

std::optional<StoredSettings> LoadSettingsFile(const QString& path) {
    if (!PathExists(path)) return std::nullopt;
    return ReadSettings(IniFile::load(path));
}

void WriteSettings(IniFile& file, const StoredSettings& values, bool writeWindowPlace) {
    file.setValue(kDisplay, QStringLiteral("language"), values.language);
    if (writeWindowPlace) {
        file.setIntValue(kDisplay, QStringLiteral("window_width"), values.windowWidth);
        file.setIntValue(kDisplay, QStringLiteral("window_height"), values.windowHeight);
        file.setIntValue(kDisplay, QStringLiteral("window_left"), values.windowLeft);
        file.setIntValue(kDisplay, QStringLiteral("window_top"), values.windowTop);
    }
    file.setValue(kHtml, QStringLiteral("back_color"), DecodeGbkText(values.page.backColorHex));
    file.setValue(kHtml, QStringLiteral("font_color"), DecodeGbkText(values.page.fontColorHex));
    file.setIntValue(kHtml, QStringLiteral("speed"), values.page.speed);
    file.setIntValue(kFilmPanel, QStringLiteral("Default_FontColor"), values.defaultFontColor);
    file.setIntValue(kFilmPanel, QStringLiteral("Default_BackColor"), values.defaultBackColor);
}

bool SaveSettingsFile(const QString& path, const StoredSettings& values, bool writeWindowPlace) {
    if (!QFileInfo::exists(path))
        return false;
    IniFile file = IniFile::load(path);
    WriteSettings(file, values, writeWindowPlace);
    file.save(path);
    return true;
}

bool ShouldWriteWindowPlace(int windowWidth, int screenWidth, bool maximised) {
    return !maximised && static_cast<std::int64_t>(windowWidth) < static_cast<std::int64_t>(screenWidth) - 5;
}

WindowPlace PlaceWindowOnScreens(const WindowPlace& stored, const QList<QRect>& screens, const QRect& primary) {
    const bool visible = std::any_of(screens.begin(), screens.end(), [&](const QRect& screen) {
        return overlaps(stored.left, stored.width, screen.x(), screen.width()) &&
               overlaps(stored.top, stored.height, screen.y(), screen.height());
    });
    if (visible || screens.isEmpty() || primary.isEmpty())
        return stored;
    WindowPlace placed = stored;
    placed.left = moveInto(stored.left, stored.width, primary.x(), primary.width());
    placed.top = moveInto(stored.top, stored.height, primary.y(), primary.height());
    return placed;
}

} // namespace quillet

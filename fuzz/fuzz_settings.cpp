// The settings file: any bytes load; an untouched file gives back its own bytes; what is written
// reads back as written (a page text GBK could not hold whole reads back as its '?' bytes), and
// writing the same values again changes nothing; a stored window place always ends on the screen.
#include "fuzzsupport.h"
#include "inifile.h"
#include "settings.h"

using namespace quillet;

namespace {

bool sameSettings(const StoredSettings& a, const StoredSettings& b) {
    return a.language == b.language && a.windowWidth == b.windowWidth && a.windowHeight == b.windowHeight &&
           a.windowLeft == b.windowLeft && a.windowTop == b.windowTop && a.page == b.page &&
           a.unencodableBackColor == b.unencodableBackColor && a.unencodableFontColor == b.unencodableFontColor &&
           a.defaultFontColor == b.defaultFontColor && a.defaultBackColor == b.defaultBackColor &&
           a.defaultByteMode == b.defaultByteMode;
}

void checkWindowPlace(const StoredSettings& s) {
    const QRect screen(0, 0, 1920, 1080);
    const WindowPlace placed =
        PlaceWindowOnScreens(WindowPlace{s.windowLeft, s.windowTop, s.windowWidth, s.windowHeight}, {screen}, screen);
    const std::int64_t right = std::int64_t{placed.left} + std::max(placed.width, 1);
    const std::int64_t bottom = std::int64_t{placed.top} + std::max(placed.height, 1);
    FUZZ_CHECK(placed.left < screen.right() + 1 && right > screen.left());
    FUZZ_CHECK(placed.top < screen.bottom() + 1 && bottom > screen.top());
    FUZZ_CHECK(placed.width == s.windowWidth && placed.height == s.windowHeight);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniFile file(bytes);
    FUZZ_CHECK(file.toBytes() == bytes);
    const StoredSettings read = ReadSettings(file);
    checkWindowPlace(read);

    // Values of the program's own: the ones read, with a language and colours of its choosing.
    StoredSettings written = read;
    written.language = QStringLiteral("English");
    written.page.backColorHex = "00FF7f";
    written.page.speed = read.page.speed ^ 0x5A;
    for (const bool place : {true, false}) {
        IniFile changed(bytes);
        WriteSettings(changed, written, place);
        const QByteArray once = changed.toBytes();
        StoredSettings expected = written;
        // A value is written on one line: a CR inside it (a lone CR does not end a line) becomes a blank.
        expected.page.fontColorHex.replace('\r', ' ');
        // What GBK could not hold was written as '?', which it holds.
        expected.unencodableBackColor.clear();
        expected.unencodableFontColor.clear();
        if (!place) {
            expected.windowWidth = read.windowWidth;
            expected.windowHeight = read.windowHeight;
            expected.windowLeft = read.windowLeft;
            expected.windowTop = read.windowTop;
        }
        FUZZ_CHECK(sameSettings(ReadSettings(IniFile(once)), expected));
        WriteSettings(changed, written, place);
        FUZZ_CHECK(changed.toBytes() == once);
    }
    return 0;
}

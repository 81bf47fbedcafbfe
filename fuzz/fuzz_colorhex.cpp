// The hexadecimal colour reader: typed into the option panels and kept in the settings file.
// Checked against a plain reading of the rule: hexadecimal digits only, value within 32 bits, red
// in the first two digits; anything else is black.
#include "colorhex.h"
#include "fuzzsupport.h"

#include <QString>

#include <optional>

using namespace quillet;

namespace {

std::optional<std::uint32_t> readHex(const QString& text) {
    if (text.isEmpty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// Red and blue exchanged with truncating division; the part above blue stays unreduced.
std::int32_t swapRedBlue(std::int32_t v) {
    const std::int64_t r = v % 256;
    const std::int64_t d = v / 256;
    return static_cast<std::int32_t>(r * 65536 + (d % 256) * 256 + d / 256);
}

void check(const QString& text) {
    const std::optional<std::uint32_t> value = readHex(text);
    const TColor expected = value ? swapRedBlue(static_cast<std::int32_t>(*value)) : 0;
    FUZZ_CHECK(HexToColor(text) == expected);
    // Six digits written by the program come back as they were, in upper case.
    if (value && text.size() == 6) FUZZ_CHECK(ColorToHex(HexToColor(text)) == text.toUpper());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    check(QString::fromLatin1(chars, length));
    check(QString::fromUtf8(chars, length));
    // Every plain colour survives the round trip through its text.
    if (size >= 3) {
        const TColor plain = data[0] | (data[1] << 8) | (data[2] << 16);
        const QString text = ColorToHex(plain);
        FUZZ_CHECK(text.size() == 6);
        FUZZ_CHECK(HexToColor(text) == plain);
    }
    return 0;
}

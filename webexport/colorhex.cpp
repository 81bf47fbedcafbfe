#include "colorhex.h"

#include "colorconvert.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>

namespace quillet {

namespace {

// One system colour role: the palette colour that plays it here, and the colour used without a GUI.
struct SystemRole {
    int role; // a QPalette::ColorRole, or -1 when no palette role matches
    QPalette::ColorGroup group;
    QRgb fallback;
};

constexpr int kNoRole = -1;

// Indexed by the identifier's low byte, in the order of the window system's colour indexes.
const std::array<SystemRole, 31>& systemRoles() {
    static const std::array<SystemRole, 31> roles = {{
        {QPalette::Button, QPalette::Active, qRgb(200, 200, 200)},          // scroll bar
        {kNoRole, QPalette::Active, qRgb(0, 0, 0)},                         // desktop
        {QPalette::Highlight, QPalette::Active, qRgb(153, 180, 209)},       // active caption
        {kNoRole, QPalette::Active, qRgb(191, 205, 219)},                   // inactive caption
        {QPalette::Window, QPalette::Active, qRgb(240, 240, 240)},          // menu
        {QPalette::Base, QPalette::Active, qRgb(255, 255, 255)},            // window
        {QPalette::Dark, QPalette::Active, qRgb(100, 100, 100)},            // window frame
        {QPalette::WindowText, QPalette::Active, qRgb(0, 0, 0)},            // menu text
        {QPalette::Text, QPalette::Active, qRgb(0, 0, 0)},                  // window text
        {QPalette::HighlightedText, QPalette::Active, qRgb(0, 0, 0)},       // caption text
        {kNoRole, QPalette::Active, qRgb(180, 180, 180)},                   // active border
        {kNoRole, QPalette::Active, qRgb(244, 247, 252)},                   // inactive border
        {QPalette::Mid, QPalette::Active, qRgb(171, 171, 171)},             // application workspace
        {QPalette::Highlight, QPalette::Active, qRgb(51, 153, 255)},        // highlight
        {QPalette::HighlightedText, QPalette::Active, qRgb(255, 255, 255)}, // highlighted text
        {QPalette::Button, QPalette::Active, qRgb(240, 240, 240)},          // button face
        {QPalette::Dark, QPalette::Active, qRgb(160, 160, 160)},            // button shadow
        {QPalette::Text, QPalette::Disabled, qRgb(109, 109, 109)},          // grey text
        {QPalette::ButtonText, QPalette::Active, qRgb(0, 0, 0)},            // button text
        {QPalette::WindowText, QPalette::Inactive, qRgb(67, 78, 84)},       // inactive caption text
        {QPalette::Light, QPalette::Active, qRgb(255, 255, 255)},           // button highlight
        {QPalette::Shadow, QPalette::Active, qRgb(105, 105, 105)},          // 3-D dark shadow
        {QPalette::Midlight, QPalette::Active, qRgb(227, 227, 227)},        // 3-D light
        {QPalette::ToolTipText, QPalette::Active, qRgb(0, 0, 0)},           // tool tip text
        {QPalette::ToolTipBase, QPalette::Active, qRgb(255, 255, 225)},     // tool tip background
        {kNoRole, QPalette::Active, qRgb(0, 0, 0)},                         // (unused index)
        {QPalette::Link, QPalette::Active, qRgb(0, 102, 204)},              // hot-tracked item
        {kNoRole, QPalette::Active, qRgb(185, 209, 234)},                   // active caption gradient
        {kNoRole, QPalette::Active, qRgb(215, 228, 242)},                   // inactive caption gradient
        {QPalette::Highlight, QPalette::Active, qRgb(51, 153, 255)},        // menu highlight
        {QPalette::Window, QPalette::Active, qRgb(240, 240, 240)},          // menu bar
    }};
    return roles;
}

int hexDigitValue(QChar ch) {
    const char16_t u = ch.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

} // namespace

std::int32_t SwapRedBlue(std::int32_t value) {
    const std::int32_t r = value % 256;
    const std::int32_t d = value / 256;
    const std::int32_t g = d % 256;
    const std::int32_t b = d / 256;
    return r * 65536 + g * 256 + b;
}

TColor ResolveSystemColor(TColor color) {
    if (color >= 0) return color;
    const auto index = static_cast<std::size_t>(static_cast<std::uint32_t>(color) & 0xFFu);
    const auto& roles = systemRoles();
    if (index >= roles.size()) return 0;
    const SystemRole& entry = roles[index];
    if (entry.role != kNoRole && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QPalette palette = QGuiApplication::palette();
        return TColorOf(palette.color(entry.group, static_cast<QPalette::ColorRole>(entry.role)).rgb());
    }
    return TColorOf(entry.fallback);
}

int FormatColorHex(TColor color, char* digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (color >= 0 && color <= 0xFFFFFF) { // a plain colour: its three bytes, red first
        const auto value = static_cast<std::uint32_t>(color);
        const std::uint32_t bytes[3] = {value & 0xFFu, (value >> 8) & 0xFFu, value >> 16};
        for (int i = 0; i < 3; ++i) {
            digits[2 * i] = kDigits[bytes[i] >> 4];
            digits[2 * i + 1] = kDigits[bytes[i] & 0xFu];
        }
        return 6;
    }
    // A resolved colour is never negative, so neither is the swapped value: at most 8 digits.
    auto value = static_cast<std::uint32_t>(SwapRedBlue(ResolveSystemColor(color)));
    int count = 6;
    while (count < 8 && (value >> (4 * count)) != 0)
        ++count;
    for (int i = count - 1; i >= 0; --i) {
        digits[i] = kDigits[value & 0xFu];
        value >>= 4;
    }
    return count;
}

void AppendColorHex(QByteArray& out, TColor color) {
    char digits[8];
    out.append(digits, FormatColorHex(color, digits));
}

QString ColorToHex(TColor color) {
    QByteArray digits;
    AppendColorHex(digits, color);
    return QString::fromLatin1(digits);
}

TColor HexToColor(const QString& text) {
    if (text.isEmpty()) return 0;
    std::uint64_t value = 0;
    for (const QChar ch : text) {
        const int digit = hexDigitValue(ch);
        if (digit < 0) return 0;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return 0;
    }
    return SwapRedBlue(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

} // namespace quillet

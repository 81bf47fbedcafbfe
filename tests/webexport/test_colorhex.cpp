#include "colorhex.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <limits>

using namespace quillet;

namespace {

constexpr TColor kHighlightIndex = 13;
constexpr TColor kWindowIndex = 5;
constexpr TColor kButtonFaceIndex = 15;

TColor systemColour(std::uint32_t encoding, TColor index) {
    return static_cast<TColor>(encoding | static_cast<std::uint32_t>(index));
}

} // namespace

TEST(ColorHex, PlainColoursGiveSixDigitsRedFirst) {
    EXPECT_EQ(ColorToHex(0x0000FF), "FF0000");
    EXPECT_EQ(ColorToHex(0x008000), "008000");
    EXPECT_EQ(ColorToHex(0x000000), "000000");
    EXPECT_EQ(ColorToHex(0xFFFFFF), "FFFFFF");
    EXPECT_EQ(ColorToHex(0x563412), "123456");
    EXPECT_EQ(ColorToHex(0x10000FF), "FF0100");   // above 0xFFFFFF the top part folds into the swap
    EXPECT_EQ(ColorToHex(0x7FFFFFFF), "1007EFF"); // 0xFF0000 + 0xFF00 + 0x7FFF: seven digits
}

TEST(ColorHex, SwapRedBlueTruncatesTowardZeroAndKeepsTheTopPart) {
    EXPECT_EQ(SwapRedBlue(0x123456), 0x563412);
    EXPECT_EQ(SwapRedBlue(0x1FFFFFF), 0x10000FF); // b = 0x1FF is not reduced to a byte
    EXPECT_EQ(SwapRedBlue(-1), -65536);           // remainder -1, quotient 0
    EXPECT_EQ(SwapRedBlue(-257), -65536 - 256);   // r = -1, g = -1, b = 0
}

TEST(ColorHex, HexReadsEitherCaseAndShortText) {
    EXPECT_EQ(HexToColor("FF0000"), 0x0000FF);
    EXPECT_EQ(HexToColor("ff0000"), 0x0000FF);
    EXPECT_EQ(HexToColor("aBcDeF"), 0xEFCDAB);
    EXPECT_EQ(HexToColor("12345"), 0x452301);
    EXPECT_EQ(HexToColor("0"), 0);
}

TEST(ColorHex, HexLongerThanSixDigitsGoesThroughAsItIs) {
    EXPECT_EQ(HexToColor("1FFFFFF"), 0x10000FF);
    EXPECT_EQ(HexToColor("0000000000FF0000"), 0x0000FF); // leading zeros: the value still fits
    EXPECT_EQ(HexToColor("FFFFFFFF"), SwapRedBlue(-1));  // the full 32 bits
}

TEST(ColorHex, AnythingButHexDigitsIsBlack) {
    for (const char* text : {"", "#FF0000", "0xFF0000", " FF0000", "FF0000 ", "FF 0000", "FF00GG", "+FF", "-FF",
                             "100000000", "FFFFFFFFF", "FF0000\n"})
        EXPECT_EQ(HexToColor(QString::fromLatin1(text)), 0) << text;
    EXPECT_EQ(HexToColor(QStringLiteral("\uFF11\uFF12")), 0); // full-width digits are not hexadecimal
    EXPECT_EQ(HexToColor(QStringLiteral("F\u00E9")), 0);
}

TEST(ColorHex, EveryPlainColourSurvivesTheRoundTrip) {
    for (TColor c = 0; c <= 0xFFFFFF; c += 0x010307) {
        ASSERT_EQ(HexToColor(ColorToHex(c)), c) << std::hex << c;
        ASSERT_EQ(ColorToHex(c).size(), 6);
    }
    EXPECT_EQ(HexToColor(ColorToHex(0xFFFFFF)), 0xFFFFFF);
}

TEST(ColorHex, SystemColoursWithoutGuiUseFixedDefaults) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    for (std::uint32_t encoding : {0xFF000000u, 0x80000000u}) {
        EXPECT_EQ(ColorToHex(systemColour(encoding, kWindowIndex)), "FFFFFF");
        EXPECT_EQ(ColorToHex(systemColour(encoding, kHighlightIndex)), "3399FF");
        EXPECT_EQ(ColorToHex(systemColour(encoding, kButtonFaceIndex)), "F0F0F0");
    }
    EXPECT_EQ(ColorToHex(systemColour(0xFF000000u, 0xFF)), "000000"); // no such role
    for (TColor c : {-1, std::numeric_limits<TColor>::min(), -123456})
        EXPECT_EQ(ColorToHex(c).size(), 6) << c;
}

TEST(ColorHex, SystemColoursFollowTheCurrentPalette) {
    int argc = 1;
    char name[] = "test_colorhex";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Active, QPalette::Highlight, QColor(0x12, 0x34, 0x56));
    palette.setColor(QPalette::Active, QPalette::Button, QColor(0xAB, 0xCD, 0xEF));
    QGuiApplication::setPalette(palette);

    for (std::uint32_t encoding : {0xFF000000u, 0x80000000u}) {
        EXPECT_EQ(ColorToHex(systemColour(encoding, kHighlightIndex)), "123456");
        EXPECT_EQ(ColorToHex(systemColour(encoding, kButtonFaceIndex)), "ABCDEF");
        EXPECT_EQ(ResolveSystemColor(systemColour(encoding, kHighlightIndex)), 0x563412);
    }
    EXPECT_EQ(ResolveSystemColor(0x00ABCDEF), 0x00ABCDEF); // plain colours stay as they are
}

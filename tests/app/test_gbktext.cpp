#include "gbktext.h"

#include <gtest/gtest.h>

using namespace quillet;

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

} // namespace

TEST(GbkText, LinesAreCutAtLineFeedsAndKeptExactly) {
    QStringList unencodable;
    EXPECT_EQ(EncodeGbkLines(u8("中文 ab\n\n  x\r\n"), &unencodable),
              (QList<QByteArray>{"\xD6\xD0\xCE\xC4 ab", "", "  x\r", ""}));
    EXPECT_TRUE(unencodable.isEmpty());
    EXPECT_TRUE(EncodeGbkLines(QString(), &unencodable).isEmpty());
    EXPECT_EQ(EncodeGbkLines(u8("\n"), nullptr), (QList<QByteArray>{"", ""}));
}

TEST(GbkText, ValidTextSurvivesTheRoundTrip) {
    const QString text = u8("第一行：全角ＡＢＣ，€ and é\n\n  ┌──┐ 漢字\n\t末行");
    QStringList unencodable;
    const QList<QByteArray> lines = EncodeGbkLines(text, &unencodable);
    EXPECT_TRUE(unencodable.isEmpty()) << unencodable.join(' ').toStdString();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(DecodeGbkLines(lines), text);
    EXPECT_EQ(DecodeGbkLines({}), QString());
}

TEST(GbkText, EveryDoubleByteCodeDecodesAndEncodesBackToItself) {
    QList<QByteArray> lines;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        QByteArray line;
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F)
                line += QByteArray{static_cast<char>(lead), static_cast<char>(trail)};
        }
        lines.append(line);
    }
    QByteArray singles;
    for (int byte = 0x01; byte <= 0x7F; ++byte) {
        if (byte != '\n')
            singles += static_cast<char>(byte);
    }
    lines.append(singles);
    QStringList unencodable;
    const QString text = DecodeGbkLines(lines);
    EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(EncodeGbkLines(text, &unencodable), lines);
    EXPECT_TRUE(unencodable.isEmpty());
}

TEST(GbkText, UnencodableCharactersBecomeOneQuestionMarkAndAreReportedOnce) {
    QStringList unencodable;
    const QString text = u8("a😀b€\n中😀文🙂\nก");
    EXPECT_EQ(EncodeGbkLines(text, &unencodable), (QList<QByteArray>{"a?b\x80", "\xD6\xD0?\xCE\xC4?", "?"}));
    EXPECT_EQ(unencodable, (QStringList{u8("😀"), u8("🙂"), u8("ก")}));
    EXPECT_EQ(EncodeGbkLines(text, nullptr).at(1), QByteArray("\xD6\xD0?\xCE\xC4?"));

    QString lone = u8("x");
    lone.append(QChar(0xD800));
    unencodable.clear();
    EXPECT_EQ(EncodeGbkLines(lone, &unencodable), (QList<QByteArray>{"x?"}));
    EXPECT_EQ(unencodable.size(), 1);
}

TEST(GbkText, BytesThatDoNotDecodeShowAsReplacementAndDoNotComeBack) {
    const QList<QByteArray> lines{"ab\xD6", "\x81\x30x", "\xD6\xD0"};
    const QString text = DecodeGbkLines(lines);
    EXPECT_EQ(text, u8("ab\xEF\xBF\xBD\n\xEF\xBF\xBD") + "0x\n" + u8("中"));
    QStringList unencodable;
    EXPECT_EQ(EncodeGbkLines(text, &unencodable), (QList<QByteArray>{"ab?", "?0x", "\xD6\xD0"}));
    EXPECT_EQ(unencodable, QStringList{QString(QChar::ReplacementCharacter)});
}

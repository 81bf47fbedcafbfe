#include "ansiimage.h"
#include "fileerror.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace quillet;

namespace {

constexpr TColor kGreen = 0x008000;
constexpr TColor kWhite = 0xFFFFFF;
const QString kData = QStringLiteral(QUILLET_TEST_DATA "/document/");

std::unique_ptr<TAnsiImage> freshUnit(std::uint8_t mode = bmAuto) {
    auto unit = std::make_unique<TAnsiImage>();
    unit->SetBackColor(kWhite);
    unit->SetFontColor(kGreen);
    unit->setByteMode(mode);
    unit->Clear();
    return unit;
}

// A fresh unit in `mode` after reading `text` from memory as a text page.
std::unique_ptr<TAnsiImage> textUnit(QByteArray text, std::uint8_t mode = bmAuto) {
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    auto unit = freshUnit(mode);
    unit->LoadFromText(buffer, QString());
    return unit;
}

TColor rgb(int r, int g, int b) {
    return r | g << 8 | b << 16;
}

// Bytes produced on demand, a few at a time if asked: nothing of the stream is held in memory.
class GeneratedDevice : public QIODevice {
public:
    GeneratedDevice(qint64 total, std::function<char(qint64)> byteAt, qint64 piece = 1 << 20)
        : m_total(total), m_byteAt(std::move(byteAt)), m_piece(piece) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    qint64 produced() const { return m_pos; }
    void failAt(qint64 offset) { m_failAt = offset; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (m_pos >= m_failAt) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = std::min({maxSize, m_total - m_pos, m_piece, m_failAt - m_pos});
        for (qint64 k = 0; k < n; ++k)
            data[k] = m_byteAt(m_pos + k);
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 m_total;
    std::function<char(qint64)> m_byteAt;
    qint64 m_piece;
    qint64 m_pos = 0;
    qint64 m_failAt = std::numeric_limits<qint64>::max();
};

TextPage pageOf(const QByteArray& bytes, qint64 piece = 1 << 20) {
    GeneratedDevice device(
        bytes.size(), [&bytes](qint64 k) { return bytes.at(k); }, piece);
    return ReadTextPage(device, QStringLiteral("mem"));
}

// A device-independent bitmap written by hand, so that every layout can be produced.
QByteArray bmpFile(int w, int h, int bpp, bool topDown, const std::function<QRgb(int, int)>& pixel) {
    const int stride = ((w * bpp + 31) / 32) * 4;
    const int paletteSize = bpp == 1 ? 8 : 0;
    const int offset = 14 + 40 + paletteSize;
    QByteArray out(offset + stride * h, '\0');
    auto put16 = [&out](int at, quint16 v) { qToLittleEndian(v, out.data() + at); };
    auto put32 = [&out](int at, qint32 v) { qToLittleEndian(v, out.data() + at); };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, out.size());
    put32(10, offset);
    put32(14, 40);
    put32(18, w);
    put32(22, topDown ? -h : h);
    put16(26, 1);
    put16(28, static_cast<quint16>(bpp));
    put32(34, stride * h);
    if (bpp == 1) put32(58, 0x00FFFFFF); // palette: 0 black, 1 white
    for (int y = 0; y < h; ++y) {
        char* row = out.data() + offset + stride * (topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const QRgb p = pixel(x, y);
            if (bpp == 1) {
                if (qGray(p) > 127) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            } else {
                char* at = row + x * (bpp / 8);
                at[0] = static_cast<char>(qBlue(p));
                at[1] = static_cast<char>(qGreen(p));
                at[2] = static_cast<char>(qRed(p));
            }
        }
    }
    return out;
}

QImage pictureOf(int w, int h, const std::function<QRgb(int, int)>& pixel) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, pixel(x, y));
    return image;
}

QRgb coded(int x, int y) {
    return qRgb(x, y, 7);
}

class TempFiles : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

} // namespace

// ---- lines ----

TEST(ReadTextPage, SplitsAtEveryKindOfLineEnd) {
    using L = QList<QByteArray>;
    EXPECT_EQ(pageOf("a\r\nb\nc\rd").lines, (L{"a", "b", "c", "d"}));
    EXPECT_EQ(pageOf("a\n").lines, (L{"a"}));
    EXPECT_EQ(pageOf("a\n\n").lines, (L{"a", ""}));
    EXPECT_EQ(pageOf("\r\r\n\n").lines, (L{"", "", ""}));
    EXPECT_EQ(pageOf("\n\r").lines, (L{"", ""}));
    EXPECT_TRUE(pageOf("").lines.isEmpty());
    EXPECT_EQ(pageOf(QByteArray("ab\0cd\nef", 8)).lines, (L{"ab"}));
    EXPECT_EQ(pageOf(QByteArray("ab\n\0\xd6\xd0", 5)).lines, (L{"ab"}));
    EXPECT_FALSE(pageOf(QByteArray("ab\n\0\xd6\xd0", 5)).hasHighByte);
    // A CR LF split between two reads is still one line end.
    EXPECT_EQ(pageOf("x\r\ny\r\rz", 1).lines, (L{"x", "y", "", "z"}));
}

TEST(ReadTextPage, KeepsOnlyWhatTheGridCanShowButSeesEveryByte) {
    QByteArray text;
    for (int k = 0; k < 100; ++k)
        text += QByteArray::number(k) + "\n";
    text += "\xd6\xd0";
    TextPage many = pageOf(text);
    EXPECT_EQ(many.lines.size(), TextPage::kKeptLines);
    EXPECT_EQ(many.lines.last(), QByteArray("79"));
    EXPECT_TRUE(many.hasHighByte);

    QByteArray longLine(10000, 'a');
    longLine[9000] = '\x81';
    TextPage wide = pageOf(longLine + "\nnext");
    ASSERT_EQ(wide.lines.size(), 2);
    EXPECT_EQ(wide.lines[0], QByteArray(TextPage::kKeptLineBytes, 'a'));
    EXPECT_EQ(wide.lines[1], QByteArray("next"));
    EXPECT_TRUE(wide.hasHighByte);
    EXPECT_FALSE(pageOf(QByteArray(3000, '\x80')).hasHighByte);
}

TEST(ReadTextPage, StreamsHugeInputsInBoundedMemory) {
    const qint64 total = 300LL * 1024 * 1024;
    // One endless line whose only high byte is the last one.
    GeneratedDevice endless(total, [total](qint64 k) { return k == total - 1 ? '\xfe' : 'q'; });
    TextPage line = ReadTextPage(endless, QStringLiteral("endless"));
    EXPECT_EQ(endless.produced(), total);
    ASSERT_EQ(line.lines.size(), 1);
    EXPECT_EQ(line.lines[0].size(), TextPage::kKeptLineBytes);
    EXPECT_TRUE(line.hasHighByte);

    // Many short lines: every one of them counts for the width, the widest lying near the end.
    const auto shortLines = [total](qint64 k) {
        if (k == 5000000) return '\x90';
        const bool widest = k >= total - 1000 && k < total - 800;
        return k % 50 == 49 && !widest ? '\n' : 'w';
    };
    GeneratedDevice lines(total, shortLines);
    TextPage page = ReadTextPage(lines, QStringLiteral("lines"));
    EXPECT_EQ(lines.produced(), total);
    EXPECT_EQ(page.lines.size(), TextPage::kKeptLines);
    EXPECT_TRUE(page.hasHighByte);
    EXPECT_EQ(page.restWidth, 249);
    EXPECT_EQ(page.restAlignedWidth, 249);

    // Once a high byte and a line wider than any row have passed, nothing further can change the page.
    GeneratedDevice settled(total, [](qint64 k) { return k == 4500 ? '\x90' : (k % 1000 == 999 ? '\n' : 'w'); });
    ReadTextPage(settled, QStringLiteral("settled"));
    EXPECT_LT(settled.produced(), total);
}

TEST(ReadTextPage, ReadErrorIsAFileError) {
    GeneratedDevice device(
        1000, [](qint64) { return 'a'; }, 10);
    device.failAt(500);
    try {
        ReadTextPage(device, QStringLiteral("/x/page.txt"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), QStringLiteral("/x/page.txt"));
        EXPECT_EQ(error.description(), QStringLiteral("Input/output error"));
    }
}

// ---- alignment and byte mode ----

TEST(AlignDoubleByte, OpensEveryPairAtAnOddPosition) {
    QList<QByteArray> lines{"a\xd6\xd0",
                            "\xd6\xd0"
                            "a",
                            "a\xb0\xa1"
                            "b\xb0\xa1"
                            "c\xb0\xa1",
                            "plain", "\x80\x80"};
    EXPECT_TRUE(TAnsiImage::AlignDoubleByte(lines));
    EXPECT_EQ(lines[0], QByteArray("a \xd6\xd0"));
    EXPECT_EQ(lines[1], QByteArray("\xd6\xd0"
                                   "a"));
    EXPECT_EQ(lines[2], QByteArray("a \xb0\xa1"
                                   "b \xb0\xa1"
                                   "c \xb0\xa1"));
    EXPECT_EQ(lines[3], QByteArray("plain"));
    EXPECT_EQ(lines[4], QByteArray("\x80\x80"));

    // A low byte between two high bytes does not close the pair.
    QList<QByteArray> split{"\x81"
                            "a\x81\x81\x82"};
    TAnsiImage::AlignDoubleByte(split);
    EXPECT_EQ(split[0], QByteArray("\x81"
                                   "a\x81 \x81\x82"));

    QList<QByteArray> low{"\x80", "abc"};
    EXPECT_FALSE(TAnsiImage::AlignDoubleByte(low));
}

TEST(TextImport, ModeIsDecidedOnceAndOnlyUndecidedUnitsAreAligned) {
    auto single = textUnit("hello\nworld");
    EXPECT_EQ(single->byteMode(), bmSingleByte);
    EXPECT_EQ(single->cols(), 5);
    EXPECT_EQ(single->GetLines(), (QList<QByteArray>{"hello", "world"}));

    auto aligned = textUnit("a\xd6\xd0");
    EXPECT_EQ(aligned->byteMode(), bmDoubleByte);
    EXPECT_EQ(aligned->cols(), 2);
    EXPECT_EQ(aligned->CellText(0, 0), QByteArray("a "));
    EXPECT_EQ(aligned->CellText(0, 1), QByteArray("\xd6\xd0"));

    auto preset = textUnit("a\xd6\xd0", bmDoubleByte);
    EXPECT_EQ(preset->CellText(0, 0), QByteArray("a\xd6"));
    EXPECT_EQ(preset->CellText(0, 1), QByteArray("\xd0"));

    auto edge = textUnit("a\x80z");
    EXPECT_EQ(edge->byteMode(), bmSingleByte);
}

TEST(TextImport, HighByteBeyondTheKeptLinesStillMakesTheUnitDoubleByte) {
    QByteArray text;
    for (int k = 0; k < 90; ++k)
        text += "line\n";
    text += "\xb0\xa1";
    auto unit = textUnit(text);
    EXPECT_EQ(unit->byteMode(), bmDoubleByte);
    EXPECT_EQ(unit->rows(), 80);
    EXPECT_EQ(unit->cols(), 2);
}

TEST(TextImport, LinesPastTheGridStillCountForTheWidth) {
    QByteArray text;
    for (int k = 0; k < 85; ++k)
        text += "ab\r\n";
    text += "a\xd6\xd0"
            "b\xd6\xd0\r\nxyz";
    TextPage page = pageOf(text, 3);
    EXPECT_EQ(page.restWidth, 6);
    EXPECT_EQ(page.restAlignedWidth, 8) << "a \\xd6\\xd0b \\xd6\\xd0";

    struct Case {
        std::uint8_t mode;
        int cols;
    };
    for (const Case c : {Case{bmAuto, 4}, Case{bmSingleByte, 6}, Case{bmDoubleByte, 3}}) {
        auto unit = textUnit(text, c.mode);
        EXPECT_EQ(unit->cols(), c.cols) << int(c.mode);
        EXPECT_EQ(unit->rows(), 80);
        EXPECT_EQ(unit->GetLines().last(), QByteArray("ab"));
    }
}

TEST_F(TempFiles, MissingOrEmptyTextFiles) {
    auto unit = freshUnit();
    const QString missing = dir.filePath(QStringLiteral("gone.txt"));
    EXPECT_THROW(unit->LoadFromTextFile(missing), FileError);
    EXPECT_TRUE(unit->fileName().isEmpty());
    EXPECT_EQ(unit->byteMode(), bmAuto);
    EXPECT_THROW(unit->LoadFromTextFile(dir.path()), FileError) << "a folder is no text";

    const QString empty = write(QStringLiteral("empty.txt"), QByteArray());
    unit->LoadFromTextFile(empty);
    EXPECT_EQ(unit->fileName(), empty);
    EXPECT_EQ(unit->cols(), 0);
    EXPECT_EQ(unit->rows(), 0);
    EXPECT_FALSE(unit->hasColor());
}

TEST_F(TempFiles, ColourFileIsThePathWithItsLastThreeCharactersReplaced) {
    write(QStringLiteral("page.tclo"), "1\n1\n 0\n*1\n255\n");
    auto unit = freshUnit();
    unit->LoadFromTextFile(write(QStringLiteral("page.text"), "x"));
    EXPECT_TRUE(unit->hasColor());
    EXPECT_EQ(unit->cell(0, 0).FontColor, 255);

    // A name shorter than three characters loses all of them.
    write(QStringLiteral("ab"), "text");
    auto shortName = freshUnit();
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(dir.path());
    write(QStringLiteral("clo"), "1\n1\n 0\n*1\n66\n");
    shortName->LoadFromTextFile(QStringLiteral("ab"));
    QDir::setCurrent(oldDir);
    EXPECT_TRUE(shortName->hasColor());
    EXPECT_EQ(shortName->cell(0, 0).FontColor, 66);
}

// ---- colour bitmaps ----

TEST(ColorBitmap, SingleByteTakesOnePixelPerCellFromBothHalves) {
    auto unit = freshUnit(bmSingleByte);
    ASSERT_TRUE(unit->LoadColorBitmap(pictureOf(10, 4, coded)));
    EXPECT_EQ(unit->cols(), 10);
    EXPECT_EQ(unit->rows(), 2);
    EXPECT_EQ(unit->cell(1, 9).FontColor, rgb(9, 1, 7));
    EXPECT_EQ(unit->cell(1, 9).BackColor, rgb(9, 3, 7));
    EXPECT_EQ(unit->cell(0, 0).BackColor, rgb(0, 2, 7));
    EXPECT_EQ(unit->cell(2, 0).FontColor, kGreen);
    EXPECT_EQ(unit->cell(0, 10).FontColor, kGreen);
    unit->SetLines({"abc"});
    EXPECT_EQ(unit->cols(), 10);
    EXPECT_EQ(unit->rows(), 2);
}

TEST(ColorBitmap, DoubleByteReadsEvenPixelColumns) {
    auto unit = freshUnit(bmDoubleByte);
    ASSERT_TRUE(unit->LoadColorBitmap(pictureOf(20, 4, coded)));
    EXPECT_EQ(unit->cols(), 10);
    EXPECT_EQ(unit->cell(0, 3).FontColor, rgb(6, 0, 7));
    EXPECT_EQ(unit->cell(1, 9).BackColor, rgb(18, 3, 7));
    auto odd = freshUnit(bmDoubleByte);
    ASSERT_TRUE(odd->LoadColorBitmap(pictureOf(7, 2, coded)));
    EXPECT_EQ(odd->cols(), 4); // 3.5 goes to 4
    EXPECT_EQ(odd->cell(0, 3).FontColor, rgb(6, 0, 7));
}

TEST(ColorBitmap, HalfRoundsToEvenAndAMissingBottomRowFails) {
    auto five = freshUnit(bmSingleByte);
    ASSERT_TRUE(five->LoadColorBitmap(pictureOf(3, 5, coded)));
    EXPECT_EQ(five->rows(), 2);
    EXPECT_EQ(five->cell(1, 0).BackColor, rgb(0, 3, 7));

    auto three = freshUnit(bmSingleByte);
    three->setExtent(4, 1);
    EXPECT_FALSE(three->LoadColorBitmap(pictureOf(3, 3, coded)));
    EXPECT_EQ(three->cell(0, 2).FontColor, rgb(2, 0, 7)) << "rows before the failure keep their colours";
    EXPECT_EQ(three->cell(0, 2).BackColor, rgb(2, 2, 7));
    EXPECT_EQ(three->cell(1, 0).FontColor, kGreen);
    EXPECT_EQ(three->cols(), 4);
    EXPECT_EQ(three->rows(), 1);

    auto seven = freshUnit(bmSingleByte);
    EXPECT_FALSE(seven->LoadColorBitmap(pictureOf(2, 7, coded)));
    EXPECT_EQ(seven->cell(2, 1).BackColor, rgb(1, 6, 7));
    EXPECT_EQ(seven->cell(3, 1).BackColor, kWhite);
}

TEST(ColorBitmap, LargerThanTheGridColoursOnlyTheGrid) {
    auto unit = freshUnit(bmSingleByte);
    ASSERT_TRUE(unit->LoadColorBitmap(pictureOf(300, 250, coded)));
    EXPECT_EQ(unit->cols(), 200);
    EXPECT_EQ(unit->rows(), 80);
    EXPECT_EQ(unit->cell(79, 199).FontColor, rgb(199, 79, 7));
    EXPECT_EQ(unit->cell(79, 199).BackColor, rgb(199, 79 + 125, 7));

    auto wide = freshUnit(bmDoubleByte);
    ASSERT_TRUE(wide->LoadColorBitmap(pictureOf(500, 4, coded)));
    EXPECT_EQ(wide->cols(), 200);
    EXPECT_EQ(wide->cell(0, 199).FontColor, rgb(398 & 0xFF, 0, 7));

    auto tiny = freshUnit(bmDoubleByte);
    EXPECT_TRUE(tiny->LoadColorBitmap(pictureOf(1, 1, coded)));
    EXPECT_EQ(tiny->cols(), 0);
    EXPECT_EQ(tiny->rows(), 0);
    EXPECT_FALSE(tiny->LoadColorBitmap(QImage()));
}

TEST_F(TempFiles, BitmapLayoutsThatTheReaderAccepts) {
    const auto checker = [](int x, int y) { return (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0); };
    auto mono = freshUnit(bmSingleByte);
    ASSERT_TRUE(mono->LoadColorFile(write(QStringLiteral("mono.clo"), bmpFile(9, 4, 1, false, checker))));
    EXPECT_EQ(mono->cols(), 9);
    EXPECT_EQ(mono->cell(0, 1).FontColor, 0xFFFFFF);
    EXPECT_EQ(mono->cell(1, 1).BackColor, 0x000000);

    auto deep = freshUnit(bmSingleByte);
    ASSERT_TRUE(deep->LoadColorFile(write(QStringLiteral("deep.clo"), bmpFile(5, 2, 32, false, coded))));
    EXPECT_EQ(deep->cell(0, 4).FontColor, rgb(4, 0, 7));
    EXPECT_EQ(deep->cell(0, 4).BackColor, rgb(4, 1, 7));

    auto topDown = freshUnit(bmSingleByte);
    ASSERT_TRUE(topDown->LoadColorFile(write(QStringLiteral("down.clo"), bmpFile(3, 6, 24, true, coded))));
    EXPECT_EQ(topDown->cell(0, 1).FontColor, rgb(1, 0, 7));
    EXPECT_EQ(topDown->cell(2, 1).BackColor, rgb(1, 5, 7));

    auto single = freshUnit(bmSingleByte);
    EXPECT_TRUE(single->LoadColorFile(write(QStringLiteral("one.clo"), bmpFile(1, 1, 24, false, coded))));
    EXPECT_EQ(single->cols(), 1);
    EXPECT_EQ(single->rows(), 0);
}

TEST_F(TempFiles, BrokenOrHugeBitmapsAreSafe) {
    // A bitmap of height 0 is no picture: it is then read as a list, which it is not either.
    ImportReport report;
    auto flat = freshUnit(bmSingleByte);
    EXPECT_FALSE(flat->LoadColorFile(write(QStringLiteral("flat.clo"), bmpFile(4, 0, 24, false, coded)), &report));
    EXPECT_TRUE(report.colorListFailed);

    for (const char* name : {"random_bitmap.clo", "random_list.clo"}) {
        auto unit = freshUnit(bmDoubleByte);
        unit->LoadColorFile(kData + QLatin1String(name));
        EXPECT_LE(unit->cols(), 200);
        EXPECT_LE(unit->rows(), 80);
        EXPECT_GE(unit->cols(), 0);
    }

    // Far larger than the grid, still within the reader's limit: it colours the grid.
    auto huge = freshUnit(bmSingleByte);
    const QString path = write(QStringLiteral("huge.clo"), bmpFile(2000, 1500, 24, false, coded));
    ASSERT_TRUE(huge->LoadColorFile(path));
    EXPECT_EQ(huge->cols(), 200);
    EXPECT_EQ(huge->rows(), 80);
    EXPECT_EQ(huge->cell(79, 199).BackColor, rgb(199, (750 + 79) & 0xFF, 7));

    // A compressed bitmap of a few bytes that would unpack to 20 MB of pixels is no colour picture.
    QByteArray packed = bmpFile(1, 1, 8, false, coded).left(54);
    qToLittleEndian<qint32>(5000, packed.data() + 18);
    qToLittleEndian<qint32>(4000, packed.data() + 22);
    qToLittleEndian<qint32>(1, packed.data() + 30); // BI_RLE8
    qToLittleEndian<qint32>(54 + 4 * 256, packed.data() + 10);
    packed += QByteArray(4 * 256, '\0') + QByteArray("\0\1", 2); // black palette, end of bitmap at once
    auto unpacked = freshUnit(bmSingleByte);
    report = ImportReport();
    EXPECT_FALSE(unpacked->LoadColorFile(write(QStringLiteral("packed.clo"), packed), &report));
    EXPECT_TRUE(report.colorListFailed);
    EXPECT_EQ(unpacked->cell(0, 0).FontColor, kGreen);

    // A header that promises far more pixels than the file holds.
    QByteArray liar = bmpFile(4, 4, 24, false, coded);
    qToLittleEndian<qint32>(100000, liar.data() + 18);
    qToLittleEndian<qint32>(100000, liar.data() + 22);
    auto claimed = freshUnit(bmSingleByte);
    claimed->LoadColorFile(write(QStringLiteral("liar.clo"), liar));
    EXPECT_LE(claimed->cols(), 200);
    EXPECT_LE(claimed->rows(), 80);
}

namespace {

QByteArray encoded(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, format)) << format;
    return bytes;
}

// An uncompressed RGB TIFF of w x h pixels of one colour, written by hand.
QByteArray tiffFile(int w, int h, QRgb colour) {
    QByteArray out("II*\0", 4);
    const auto put16 = [&out](quint16 v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    const auto put32 = [&out](quint32 v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    const quint32 entries = 9;
    const quint32 ifd = 8;
    const quint32 bits = ifd + 2 + entries * 12 + 4;
    const quint32 pixels = bits + 6;
    put32(ifd);
    put16(entries);
    const auto entry = [&](quint16 tag, quint16 type, quint32 count, quint32 value) {
        put16(tag);
        put16(type);
        put32(count);
        put32(value);
    };
    entry(256, 4, 1, w);                  // width
    entry(257, 4, 1, h);                  // length
    entry(258, 3, 3, bits);               // 8, 8, 8 bits per sample
    entry(259, 3, 1, 1);                  // no compression
    entry(262, 3, 1, 2);                  // RGB
    entry(273, 4, 1, pixels);             // strip offset
    entry(277, 3, 1, 3);                  // samples per pixel
    entry(278, 4, 1, h);                  // rows per strip
    entry(279, 4, 1, quint32(w * h * 3)); // strip bytes
    put32(0);
    for (int sample = 0; sample < 3; ++sample)
        put16(8);
    for (int k = 0; k < w * h; ++k)
        out += QByteArray(1, char(qRed(colour))) + char(qGreen(colour)) + char(qBlue(colour));
    return out;
}

} // namespace

TEST_F(TempFiles, OnlyABmpIsAColourPicture) {
    // Every other picture format, named as a colour file, is read as a list (which it is not) and
    // never decoded: a vector picture may pull any picture on disk into the page, or itself.
    const QImage red = pictureOf(8, 4, [](int, int) { return qRgb(255, 0, 0); });
    const QString elsewhere = write(QStringLiteral("elsewhere.png"), encoded(red, "png"));
    const auto svg = [](const QString& body) {
        return (QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                               "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"8\" height=\"4\">") +
                body + QStringLiteral("</svg>"))
            .toUtf8();
    };
    const auto image = [](const QString& path) {
        return QStringLiteral("<image width=\"8\" height=\"4\" xlink:href=\"%1\"/>").arg(path);
    };
    const QList<std::pair<QString, QByteArray>> cases{
        {QStringLiteral("drawn.clo"), svg(QStringLiteral("<rect width=\"8\" height=\"4\" fill=\"red\"/>"))},
        {QStringLiteral("pulls.clo"), svg(image(elsewhere))},
        {QStringLiteral("self.clo"), svg(image(dir.filePath(QStringLiteral("self.clo"))))},
        {QStringLiteral("png.clo"), encoded(red, "png")},
        {QStringLiteral("xpm.clo"), encoded(red, "xpm")},
        {QStringLiteral("jpeg.clo"), encoded(red, "jpeg")},
        {QStringLiteral("tiff.clo"), tiffFile(8, 4, qRgb(255, 0, 0))},
    };
    for (const auto& [name, bytes] : cases) {
        auto unit = freshUnit(bmSingleByte);
        ImportReport report;
        EXPECT_FALSE(unit->LoadColorFile(write(name, bytes), &report)) << name.toStdString();
        EXPECT_TRUE(report.colorListFailed) << name.toStdString();
        EXPECT_EQ(unit->cell(0, 0).FontColor, kGreen) << name.toStdString();
        EXPECT_EQ(unit->cols(), 0) << name.toStdString();
    }

    // The same picture as a BMP colours the cells.
    auto unit = freshUnit(bmSingleByte);
    ASSERT_TRUE(unit->LoadColorFile(write(QStringLiteral("bmp.clo"), encoded(red, "bmp"))));
    EXPECT_EQ(unit->cell(0, 0).FontColor, 0x0000FF);
}

// ---- colour lists ----

namespace {
bool applyList(TAnsiImage& unit, const QByteArray& bytes, ImportReport& report) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return unit.LoadColorList(buffer, &report);
}
} // namespace

TEST(ColorList, EntriesColourCellsRowByRow) {
    auto unit = freshUnit(bmSingleByte);
    ImportReport report;
    ASSERT_TRUE(applyList(*unit, "2\r\n3\r\nM0\r\n*1\r\n255\r\n*2\r\n16711680\r\n*3\r\n1\r\n2\r\nnone\r\n*1\r\n-5\r\n",
                          report));
    EXPECT_FALSE(report.colorListFailed);
    EXPECT_EQ(unit->rows(), 2);
    EXPECT_EQ(unit->cols(), 3);
    EXPECT_EQ(unit->byteMode(), bmSingleByte);
    EXPECT_EQ(unit->cell(0, 0).FontColor, 255);
    EXPECT_EQ(unit->cell(0, 0).BackColor, kWhite);
    EXPECT_EQ(unit->cell(0, 1).FontColor, kGreen);
    EXPECT_EQ(unit->cell(0, 1).BackColor, 0xFF0000);
    EXPECT_EQ(unit->cell(0, 2).FontColor, 1);
    EXPECT_EQ(unit->cell(0, 2).BackColor, 2);
    EXPECT_EQ(unit->cell(1, 0).FontColor, kGreen);
    EXPECT_EQ(unit->cell(1, 1).FontColor, -5);
    EXPECT_EQ(unit->cell(1, 2).FontColor, kGreen) << "lines past the end are empty markers";
}

TEST(ColorList, ModeDigitTwoSwitchesToDoubleByteAndHalvesTheWidth) {
    auto unit = freshUnit(bmSingleByte);
    ImportReport report;
    ASSERT_TRUE(applyList(*unit, "1\n5\nx2\n", report));
    EXPECT_EQ(unit->byteMode(), bmDoubleByte);
    EXPECT_EQ(unit->cols(), 2); // 2.5 goes to 2
    ASSERT_TRUE(applyList(*unit, "1\n7\nx9\n", report));
    EXPECT_EQ(unit->cols(), 4);
}

TEST(ColorList, CountsAreCappedAndNegativeCountsGiveNoEntries) {
    auto big = freshUnit(bmSingleByte);
    QByteArray list = "100\n2147483647\n 1\n";
    for (int k = 0; k < 81 * 200; ++k)
        list += "*1\n" + QByteArray::number(k) + "\n";
    ImportReport report;
    ASSERT_TRUE(applyList(*big, list, report));
    EXPECT_EQ(big->rows(), 80);
    EXPECT_EQ(big->cols(), 200);
    EXPECT_EQ(big->cell(79, 199).FontColor, 15999);

    auto negative = freshUnit(bmSingleByte);
    ASSERT_TRUE(applyList(*negative, "-3\n-2147483648\n 1\n*1\n5\n", report));
    EXPECT_EQ(negative->rows(), 0);
    EXPECT_EQ(negative->cols(), 0);
    EXPECT_EQ(negative->cell(0, 0).FontColor, kGreen);
    negative->SetLines({"ok"});
    EXPECT_EQ(negative->cols(), 2);
    EXPECT_FALSE(report.colorListFailed);
}

TEST(ColorList, BadListsFailAndKeepWhatWasColoured) {
    const QList<QByteArray> bad{
        "",                     // no line 1
        "x\n1\n 1\n",           // line 1 not a number
        "1\n\n 1\n",            // empty line where a number belongs
        "1\n99999999999\n 1\n", // does not fit
        "1\n1\n1\n",            // line 3 too short
        "1\n1\n a\n",           // its second character no digit
        "1\n2\n 1\n*3\n9\n",    // a missing value after a marker
    };
    for (const QByteArray& list : bad) {
        auto unit = freshUnit(bmSingleByte);
        unit->setExtent(6, 3);
        ImportReport report;
        EXPECT_FALSE(applyList(*unit, list, report)) << list.constData();
        EXPECT_TRUE(report.colorListFailed);
        EXPECT_EQ(unit->cols(), 6);
        EXPECT_EQ(unit->rows(), 3);
    }
    auto partial = freshUnit(bmSingleByte);
    ImportReport report;
    EXPECT_FALSE(applyList(*partial, "1\n3\n 2\n*1\n44\n*2\nnope\n", report));
    EXPECT_EQ(partial->cell(0, 0).FontColor, 44);
    EXPECT_EQ(partial->byteMode(), bmDoubleByte) << "the switch made by line 3 stays";
}

TEST(ColorList, EndOfFileByteAndReadErrors) {
    auto unit = freshUnit(bmSingleByte);
    ImportReport report;
    ASSERT_TRUE(applyList(*unit, "1\n2\n 0\n*1\n8\x1a\n*1\n9\n", report));
    EXPECT_EQ(unit->cell(0, 0).FontColor, 8);
    EXPECT_EQ(unit->cell(0, 1).FontColor, kGreen);

    const QByteArray list = "1\n1\n 0\n*1\n";
    GeneratedDevice failing(
        1000, [&list](qint64 k) { return k < list.size() ? list.at(k) : '1'; }, 4);
    failing.failAt(list.size());
    EXPECT_FALSE(unit->LoadColorList(failing, &report));
    EXPECT_TRUE(report.colorListFailed);
}

TEST_F(TempFiles, BadListDuringImportStillPlacesTheText) {
    write(QStringLiteral("page.clo"), "3\nfour\n 1\n");
    auto unit = freshUnit();
    const ImportReport report = unit->LoadFromTextFile(write(QStringLiteral("page.txt"), "abc\n"));
    EXPECT_TRUE(report.colorListFailed);
    EXPECT_FALSE(unit->hasColor());
    EXPECT_EQ(unit->GetLines(), QList<QByteArray>{"abc"});

    ImportReport missing;
    EXPECT_FALSE(unit->LoadColorList(dir.filePath(QStringLiteral("nothing.clo")), &missing));
    EXPECT_TRUE(missing.colorListFailed);
}

// ---- fixtures ----

TEST(TextImport, GbkPageWithColourList) {
    auto unit = freshUnit();
    const ImportReport report = unit->LoadFromTextFile(kData + QStringLiteral("gbk_page.txt"));
    EXPECT_FALSE(report.colorListFailed);
    EXPECT_TRUE(unit->hasColor());
    EXPECT_EQ(unit->byteMode(), bmDoubleByte);
    EXPECT_EQ(unit->rows(), 5);
    EXPECT_EQ(unit->CellText(0, 3), QByteArray("\xca\xc0")); // 世
    EXPECT_EQ(unit->CellText(1, 0), QByteArray("a "));
    EXPECT_EQ(unit->cell(0, 0).FontColor, 0x0000FF);
    EXPECT_EQ(unit->cell(1, 1).FontColor, 7);
}

TEST(TextImport, ChineseFileNameAndRandomBytes) {
    auto unit = freshUnit();
    unit->LoadFromTextFile(kData + QStringLiteral("中文 页面.txt"));
    EXPECT_TRUE(unit->hasColor());
    EXPECT_EQ(unit->byteMode(), bmDoubleByte);
    EXPECT_EQ(unit->cols(), 5);
    EXPECT_EQ(unit->cell(0, 1).BackColor, 0);
    EXPECT_EQ(unit->cell(0, 2).BackColor, 0xFF0000);

    auto noise = freshUnit();
    noise->LoadFromTextFile(kData + QStringLiteral("random.txt"));
    EXPECT_LE(noise->rows(), 80);
    EXPECT_LE(noise->cols(), 100);
    EXPECT_EQ(noise->height(), noise->rows() * 12 + 23);
}

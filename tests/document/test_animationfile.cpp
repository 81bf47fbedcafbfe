#include "animationfile.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "unitrender.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

using namespace quillet;

namespace {

const QString kData = QStringLiteral(QUILLET_TEST_DATA "/document/");

// Record k: blank cells in colours derived from k, a mark in cell (0, 0) that names it.
QByteArray numberedRecord(int k) {
    TAnsiImage unit;
    unit.SetFontColor(k);
    unit.SetBackColor(0xFFFFFF - k);
    unit.Clear();
    unit.editCell(0, 0).Chars[1] = static_cast<std::uint8_t>('A' + k % 26);
    unit.editCell(3, 9).Reserved[0] = static_cast<std::uint8_t>(k);
    return QByteArray(reinterpret_cast<const char*>(unit.grid().data()), kRecordSize);
}

QString writeRecords(const QTemporaryDir& dir, const QString& name, int count, int extraBytes = 0) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    for (int k = 0; k < count; ++k)
        file.write(numberedRecord(k));
    file.write(QByteArray(extraBytes, '\x7f'));
    return path;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// A device that hands out its bytes a piece at a time, without a size.
class StreamDevice : public QIODevice {
public:
    explicit StreamDevice(QByteArray bytes) : m_bytes(std::move(bytes)) { open(ReadOnly | Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min<qint64>({maxSize, m_bytes.size() - m_pos, 70000});
        std::memcpy(data, m_bytes.constData() + m_pos, static_cast<std::size_t>(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_pos = 0;
};

} // namespace

TEST(AnimationFile, TextPagesGiveTheGoldenBytes) {
    TFilmPanel strip;
    strip.AddTextUnit(kData + QStringLiteral("gbk_page.txt"));
    strip.AddTextUnit(kData + QStringLiteral("art_page.txt"));
    ASSERT_TRUE(strip.GetUnit(0).hasColor());
    ASSERT_TRUE(strip.GetUnit(1).hasColor());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    WriteAnimation(out, strip, QStringLiteral("mem"));
    const QByteArray golden = bytesOf(kData + QStringLiteral("gbk_and_art.mmt"));
    ASSERT_EQ(out.data().size(), golden.size());
    for (qsizetype k = 0; k < golden.size(); ++k)
        ASSERT_EQ(out.data()[k], golden[k]) << "first difference at byte " << k;
}

TEST(AnimationFile, SaveAndOpenKeepsUnitsOrderBytesAndDefaults) {
    QTemporaryDir dir;
    TFilmPanel strip;
    for (int k = 0; k < 4; ++k) {
        std::vector<std::unique_ptr<TAnsiImage>> units;
        units.push_back(strip.NewUnit());
        units.back()->LoadFromRecord(numberedRecord(k).constData());
        // Saved in the last cell: the extent stops short of it.
        if (k == 2) units.back()->SetFontColor(0x0000FF);
        strip.AppendUnits(std::move(units));
    }
    strip.MoveUnit(0, false);
    const QString path = dir.filePath(QStringLiteral("文档 一.mmt"));
    WriteAnimationFile(path, strip);
    EXPECT_EQ(QFileInfo(path).size(), 4 * kRecordSize);

    const AnimationRecords read = ReadAnimationFile(path, TFilmPanel::kMaxUnits);
    ASSERT_EQ(read.records.size(), 4);
    EXPECT_FALSE(read.notAllRead());
    EXPECT_EQ(read.records[0], numberedRecord(1));
    EXPECT_EQ(read.records[1], numberedRecord(0));
    TFilmPanel again;
    EXPECT_EQ(AppendRecords(again, read), 4);
    EXPECT_EQ(again.currentIndex(), 3);
    EXPECT_EQ(again.GetUnit(2).fontColor(), 0x0000FF);
    EXPECT_EQ(again.GetUnit(2).backColor(), 0xFFFFFF - 2);
    EXPECT_EQ(again.GetUnit(3).cell(3, 9).Reserved[0], 3);
    EXPECT_EQ(again.GetUnit(0).cell(0, 0).Chars[1], 'B');
}

TEST(AnimationFile, EmptyDocumentIsAnEmptyFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.mmt"));
    TFilmPanel strip;
    WriteAnimationFile(path, strip);
    EXPECT_EQ(QFileInfo(path).size(), 0);
    const AnimationRecords read = ReadAnimationFile(path, TFilmPanel::kMaxUnits);
    EXPECT_TRUE(read.records.isEmpty());
    EXPECT_EQ(read.wholeRecords, 0);
    EXPECT_FALSE(read.notAllRead());
}

TEST(AnimationFile, AtMostTheLimitIsReadAndTrailingPiecesAreIgnored) {
    QTemporaryDir dir;
    struct Case {
        int records;
        int extra;
        int read;
        bool notice;
    };
    for (const Case& c :
         {Case{51, 0, 50, true}, Case{50, 0, 50, false}, Case{3, 100, 3, false}, Case{50, 100, 50, false}}) {
        const QString path = writeRecords(dir, QStringLiteral("f.mmt"), c.records, c.extra);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const AnimationRecords read = ReadAnimation(file, path, TFilmPanel::kMaxUnits);
        EXPECT_EQ(read.records.size(), c.read) << c.records << "+" << c.extra;
        EXPECT_EQ(read.wholeRecords, c.records);
        EXPECT_EQ(read.notAllRead(), c.notice);
        EXPECT_EQ(file.pos(), qint64(c.read) * kRecordSize) << "nothing beyond the limit is read";
        if (c.read > 0) {
            EXPECT_EQ(read.records.last(), numberedRecord(c.read - 1));
        }
    }
}

// Whatever the device and however few records are wanted: data shorter than one record is
// refused naming the file, while empty data is an empty document and a piece after whole records
// is ignored.
TEST(AnimationFile, DataShorterThanOneRecordIsNoAnimation) {
    for (const qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(100), qsizetype(kRecordSize - 1),
                                 qsizetype(kRecordSize), qsizetype(kRecordSize + 1)}) {
        QByteArray bytes = numberedRecord(0).left(size);
        bytes += QByteArray(size - bytes.size(), 'x');
        for (const bool sequential : {false, true}) {
            for (const int limit : {TFilmPanel::kMaxUnits, 0}) {
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::ReadOnly);
                StreamDevice stream(bytes);
                QIODevice& device = sequential ? static_cast<QIODevice&>(stream) : buffer;
                const bool refused = size > 0 && size < kRecordSize;
                const std::string where =
                    std::to_string(size) + (sequential ? " stream" : " file") + " limit " + std::to_string(limit);
                try {
                    const AnimationRecords read = ReadAnimation(device, QStringLiteral("短.mmt"), limit);
                    EXPECT_FALSE(refused) << where;
                    EXPECT_EQ(read.wholeRecords, size / kRecordSize) << where;
                    EXPECT_EQ(read.records.size(), std::min<qsizetype>(size / kRecordSize, limit)) << where;
                } catch (const FileError& error) {
                    EXPECT_TRUE(refused) << where;
                    EXPECT_EQ(error.path(), QStringLiteral("短.mmt"));
                    EXPECT_EQ(error.description(), QString::fromUtf8(kNotAnimationText));
                }
            }
        }
    }
}

TEST(AnimationFile, SequentialDevicesCountTheirRecordsToo) {
    QByteArray bytes;
    for (int k = 0; k < 5; ++k)
        bytes += numberedRecord(k);
    bytes += "tail";
    StreamDevice stream(bytes);
    const AnimationRecords read = ReadAnimation(stream, QStringLiteral("pipe"), 2);
    EXPECT_EQ(read.records.size(), 2);
    EXPECT_EQ(read.wholeRecords, 5);
    EXPECT_EQ(read.records[1], numberedRecord(1));
}

TEST(AnimationFile, AppendingStopsAtFiftyUnits) {
    TFilmPanel strip;
    AnimationRecords first;
    for (int k = 0; k < 30; ++k)
        first.records.append(numberedRecord(k));
    EXPECT_EQ(AppendRecords(strip, first), 30);
    EXPECT_EQ(AppendRecords(strip, first), 20);
    EXPECT_EQ(strip.count(), 50);
    EXPECT_EQ(strip.currentIndex(), 49);
    strip.AddRecordUnit(first.records[0].constData());
    strip.AddTextUnit(kData + QStringLiteral("art_page.txt"));
    EXPECT_EQ(strip.count(), 50) << "a full strip takes no more units";
    EXPECT_EQ(strip.height(), 50 * (47 + 20));
}

TEST(AnimationFile, MissingFilesAreErrorsAndAreNeverCreated) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.mmt"));
    try {
        ReadAnimationFile(path, TFilmPanel::kMaxUnits);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path);
        EXPECT_FALSE(error.description().isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    try {
        ReadAnimationFile(dir.path(), TFilmPanel::kMaxUnits);
        FAIL() << "a folder read as a document";
    } catch (const FileError& error) {
        EXPECT_EQ(error.description().toStdString(), std::strerror(EISDIR));
    }
}

TEST(AnimationFile, FailedWritesLeaveTheOldFile) {
    QTemporaryDir dir;
    TFilmPanel strip;
    strip.AddRecordUnit(numberedRecord(0).constData());
    EXPECT_THROW(WriteAnimationFile(dir.filePath(QStringLiteral("no/such/dir/a.mmt")), strip), FileError);

    const QString existing = writeRecords(dir, QStringLiteral("old.mmt"), 2);
    const QByteArray before = bytesOf(existing);
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_THROW(WriteAnimation(readOnly, strip, existing), FileError);
    EXPECT_EQ(bytesOf(existing), before);

    WriteAnimationFile(existing, strip);
    EXPECT_EQ(QFileInfo(existing).size(), kRecordSize);
}

TEST(AnimationFile, RandomBytesLoadAsUnitsInsideTheGrid) {
    const AnimationRecords read = ReadAnimationFile(kData + QStringLiteral("random.mmt"), TFilmPanel::kMaxUnits);
    ASSERT_EQ(read.records.size(), 2);
    TFilmPanel strip;
    AppendRecords(strip, read);
    for (int k = 0; k < 2; ++k) {
        const TAnsiImage& unit = strip.GetUnit(k);
        EXPECT_EQ(unit.cols(), 200);
        EXPECT_EQ(unit.rows(), 80);
        EXPECT_EQ(unit.byteMode(), bmDoubleByte);
        EXPECT_EQ(RenderUnitPicture(unit).size(), QSize(200 * 12 + 44, 983))
            << "a loaded double-byte unit may be 200 cells wide";
    }
}

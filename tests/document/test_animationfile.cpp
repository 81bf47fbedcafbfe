#include "animationfile.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "unitrender.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
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
        // No record past the limit is read: the reader goes on at the trailing piece, when there is one.
        EXPECT_EQ(file.pos(), c.extra == 0 ? qint64(c.read) * kRecordSize : file.size());
        EXPECT_TRUE(read.durations.isEmpty());
        EXPECT_TRUE(read.notice.isEmpty()) << "a piece of something else is no trailer";
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

namespace {

// CRC-32 as zlib computes it (reflected, polynomial 0xEDB88320), bit by bit.
std::uint32_t crcOf(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= static_cast<std::uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putU32(QByteArray& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

// The durations' trailer as the file format describes it: magic, version, count, the durations,
// the CRC-32 of all that.
QByteArray trailerBytes(const QList<std::uint32_t>& durations, std::uint32_t version = 1, int count = -1) {
    QByteArray out("QLTTIMES");
    putU32(out, version);
    putU32(out, static_cast<std::uint32_t>(count < 0 ? durations.size() : count));
    for (const std::uint32_t d : durations)
        putU32(out, d);
    putU32(out, crcOf(out));
    return out;
}

// The records read from the bytes through a sized and a sequential device alike; both must agree.
AnimationRecords readBoth(const QByteArray& bytes, int limit = TFilmPanel::kMaxUnits) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const AnimationRecords sized = ReadAnimation(buffer, QStringLiteral("mem"), limit);
    StreamDevice stream(bytes);
    const AnimationRecords sequential = ReadAnimation(stream, QStringLiteral("pipe"), limit);
    EXPECT_EQ(sized.records, sequential.records);
    EXPECT_EQ(sized.wholeRecords, sequential.wholeRecords);
    EXPECT_EQ(sized.durations, sequential.durations);
    EXPECT_EQ(sized.notice, sequential.notice);
    return sized;
}

QByteArray written(const TFilmPanel& strip) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    WriteAnimation(out, strip, QStringLiteral("mem"));
    return out.data();
}

} // namespace

// Seeded random strips of random records: without durations the file is the records and nothing
// else, byte for byte, as before durations existed (a unit whose duration went back to none
// included); with durations the records are followed by the trailer, and reading gives them back.
TEST(AnimationFile, DurationsRoundTripAndDocumentsWithoutThemStayRecordsOnly) {
    std::mt19937 rng(20240611);
    int withTrailer = 0;
    for (int run = 0; run < 24; ++run) {
        SCOPED_TRACE(run);
        const int count = std::uniform_int_distribution<int>(0, 4)(rng);
        AnimationRecords source;
        QList<std::uint32_t> durations;
        const bool timed = run % 2 == 1;
        for (int k = 0; k < count; ++k) {
            QByteArray record(kRecordSize, Qt::Uninitialized);
            for (char& byte : record)
                byte = static_cast<char>(rng());
            source.records.append(record);
            const bool own = timed && rng() % 2;
            durations.append(own ? std::uniform_int_distribution<std::uint32_t>(10, 60000)(rng) : 0);
        }
        TFilmPanel strip;
        AppendRecords(strip, source);
        QByteArray records;
        for (int k = 0; k < count; ++k) {
            records += source.records.at(k);
            strip.SetUnitDuration(k, static_cast<std::int32_t>(durations.at(k)));
            // Set and taken back: no trace of it in the file.
            if (!timed) strip.SetUnitDuration(k, 0);
        }
        ASSERT_EQ(strip.count(), count);
        const bool anyDuration = std::any_of(durations.begin(), durations.end(), [](std::uint32_t d) { return d; });
        const QByteArray bytes = written(strip);
        EXPECT_EQ(bytes, anyDuration ? records + trailerBytes(durations) : records);
        withTrailer += anyDuration ? 1 : 0;

        const AnimationRecords read = readBoth(bytes);
        EXPECT_EQ(read.records, source.records);
        EXPECT_TRUE(read.notice.isEmpty());
        TFilmPanel again;
        AppendRecords(again, read);
        for (int k = 0; k < count; ++k)
            EXPECT_EQ(again.GetUnit(k).duration(), static_cast<std::int32_t>(durations.at(k))) << k;
        EXPECT_EQ(written(again), bytes);
    }
    EXPECT_GT(withTrailer, 4);
}

// A file of more than 50 records: the durations of the units read, from a trailer after all of them.
TEST(AnimationFile, DurationsApplyToTheUnitsReadFromALongFile) {
    QByteArray bytes;
    QList<std::uint32_t> durations;
    for (int k = 0; k < 52; ++k) {
        bytes += numberedRecord(k);
        durations.append(k % 3 == 0 ? 0 : 10 + 100 * static_cast<std::uint32_t>(k));
    }
    bytes += trailerBytes(durations);
    const AnimationRecords read = readBoth(bytes);
    EXPECT_TRUE(read.notAllRead());
    EXPECT_TRUE(read.notice.isEmpty());
    ASSERT_EQ(read.durations.size(), 50);
    EXPECT_EQ(read.durations.last(), 4910);
    const std::vector<std::unique_ptr<TAnsiImage>> units = MakeRecordUnits(TFilmPanel(), read, TFilmPanel::kMaxUnits);
    ASSERT_EQ(units.size(), 50u);
    for (int k = 0; k < 50; ++k)
        EXPECT_EQ(units[static_cast<std::size_t>(k)]->duration(), static_cast<std::int32_t>(durations.at(k))) << k;
    EXPECT_EQ(readBoth(bytes, 3).durations, (QList<std::int32_t>{0, 110, 210}));
}

// A trailer that cannot be trusted is ignored with a notice; the units load all the same, without
// durations. A piece that does not begin like a trailer stays a silent trailing piece.
TEST(AnimationFile, DamagedOrNewerTrailersAreIgnoredWithANotice) {
    const QList<std::uint32_t> good = {0, 250, 60000};
    const QByteArray trailer = trailerBytes(good);
    // A duration changed to another in range (250 to 506), and the checksum itself changed.
    QByteArray changedDuration = trailer;
    changedDuration[16 + 4 + 1] = '\x01';
    QByteArray badCrc = trailer;
    badCrc[badCrc.size() - 1] = static_cast<char>(badCrc.at(badCrc.size() - 1) ^ 0x40);
    const QString damaged = QString::fromUtf8(kDurationsDamagedText);
    const QString newer = QString::fromUtf8(kDurationsNewerText);
    struct Case {
        const char* name;
        QByteArray tail;
        QString notice;
    };
    const std::vector<Case> cases = {
        {"a duration changed", changedDuration, damaged},
        {"checksum", badCrc, damaged},
        {"fewer records counted", trailerBytes({0, 250}), damaged},
        {"count of another file", trailerBytes(good, 1, 4), damaged},
        {"below 10 ms", trailerBytes({0, 9, 100}), damaged},
        {"above 60000 ms", trailerBytes({0, 60001, 100}), damaged},
        {"negative", trailerBytes({0, 0xFFFFFFFF, 100}), damaged},
        {"version 0", trailerBytes(good, 0), damaged},
        {"a newer version", trailerBytes(good, 2), newer},
        {"a newer version, cut after it", trailerBytes(good, 7).left(12), newer},
        {"cut inside the magic", trailer.left(5), damaged},
        {"cut after the magic", trailer.left(8), damaged},
        {"cut inside the durations", trailer.left(22), damaged},
        {"cut before the checksum", trailer.left(trailer.size() - 4), damaged},
        {"a byte too many", trailer + '\0', damaged},
        {"a second trailer after it", trailer + trailer, damaged},
        {"something else", QByteArray("QLTUNITS and more"), QString()},
        {"the right trailer", trailer, QString()},
    };
    QByteArray records;
    for (int k = 0; k < 3; ++k)
        records += numberedRecord(k);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AnimationRecords read = readBoth(records + c.tail);
        EXPECT_EQ(read.notice, c.notice);
        ASSERT_EQ(read.records.size(), 3);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(read.records.at(k), numberedRecord(k));
        const bool kept = c.tail == trailer;
        EXPECT_EQ(read.durations, kept ? (QList<std::int32_t>{0, 250, 60000}) : QList<std::int32_t>());
        TFilmPanel strip;
        EXPECT_EQ(AppendRecords(strip, read), 3);
        EXPECT_EQ(strip.GetUnit(1).duration(), kept ? 250 : 0);
    }
    // A trailer alone is no animation file either.
    EXPECT_THROW(readBoth(trailer), FileError);
}

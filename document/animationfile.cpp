#include "animationfile.h"

#include "fileerror.h"
#include "filmpanel.h"
#include "inputfile.h"
#include "savefile.h"

#include <QCoreApplication>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

constexpr char kTrailerMagic[] = "QLTTIMES";
constexpr qsizetype kMagicSize = 8;
constexpr std::uint32_t kTrailerVersion = 1;
constexpr qsizetype kTrailerHeader = kMagicSize + 4 + 4; // magic, version, number of records
constexpr qsizetype kCrcSize = 4;

std::uint32_t crcOf(const char* data, qsizetype size) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

void putU32(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

std::uint32_t u32At(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

// The trailer of the strip's durations; empty when no unit has one of its own.
QByteArray durationTrailer(const TFilmPanel& strip) {
    bool any = false;
    for (int k = 0; k < strip.count(); ++k)
        any = any || strip.GetUnit(k).duration() != 0;
    if (!any) return QByteArray();
    QByteArray out(kTrailerMagic, kMagicSize);
    putU32(out, kTrailerVersion);
    putU32(out, static_cast<std::uint32_t>(strip.count()));
    for (int k = 0; k < strip.count(); ++k)
        putU32(out, static_cast<std::uint32_t>(strip.GetUnit(k).duration()));
    putU32(out, crcOf(out.constData(), out.size()));
    return out;
}

// The piece after the whole records is the durations' trailer, or what is left of one, when it
// begins with the magic or ends inside it.
bool beginsLikeTrailer(const QByteArray& tail) {
    const qsizetype n = std::min(tail.size(), kMagicSize);
    return n > 0 && std::memcmp(tail.constData(), kTrailerMagic, static_cast<std::size_t>(n)) == 0;
}

// Takes the durations of the records read from the trailing piece into `result`, or the notice
// why they are ignored.
void readTrailer(const QByteArray& tail, AnimationRecords& result) {
    if (!beginsLikeTrailer(tail)) return;
    const QString damaged = QCoreApplication::translate("quillet::AnimationFile", kDurationsDamagedText);
    if (tail.size() < kMagicSize + 4) {
        result.notice = damaged;
        return;
    }
    const std::uint32_t version = u32At(tail, kMagicSize);
    if (version > kTrailerVersion) {
        result.notice = QCoreApplication::translate("quillet::AnimationFile", kDurationsNewerText);
        return;
    }
    const qsizetype bodyEnd = tail.size() - kCrcSize;
    if (version != kTrailerVersion || tail.size() < kTrailerHeader + kCrcSize ||
        u32At(tail, kMagicSize + 4) != result.wholeRecords || bodyEnd - kTrailerHeader != 4 * result.wholeRecords ||
        u32At(tail, bodyEnd) != crcOf(tail.constData(), bodyEnd)) {
        result.notice = damaged;
        return;
    }
    QList<std::int32_t> durations;
    for (qsizetype at = kTrailerHeader; at < bodyEnd; at += 4) {
        const std::uint32_t value = u32At(tail, at);
        if (!IsUnitDuration(value)) {
            result.notice = damaged;
            return;
        }
        durations.append(static_cast<std::int32_t>(value));
    }
    durations.resize(result.records.size());
    result.durations = durations;
}

QString readFailure(QIODevice& device) {
    const QString text = device.errorString();
    return text.isEmpty() || text == QStringLiteral("Unknown error") ? QStringLiteral("Unexpected end of file") : text;
}

// Reads up to `size` bytes; fewer only at the end of the data.
qint64 readUpTo(QIODevice& device, char* into, qint64 size, const QString& pathForErrors) {
    qint64 done = 0;
    while (done < size) {
        const qint64 got = device.read(into + done, size - done);
        if (got < 0) throw FileError(pathForErrors, readFailure(device));
        if (got == 0) break;
        done += got;
    }
    return done;
}

struct RecordCount {
    qint64 whole = 0;
    QByteArray tail; // the bytes after the last whole record
};

// Counts the whole records left in a stream without keeping them; keeps the piece after them.
RecordCount countRemainingRecords(QIODevice& device, const QString& pathForErrors) {
    QByteArray scratch(kRecordSize, Qt::Uninitialized);
    RecordCount count;
    for (;;) {
        const qint64 got = readUpTo(device, scratch.data(), kRecordSize, pathForErrors);
        if (got < kRecordSize) {
            scratch.truncate(got);
            count.tail = scratch;
            return count;
        }
        ++count.whole;
    }
}

// The piece of a sized device after its whole records, which start at `start`.
QByteArray readSizedTail(QIODevice& device, qint64 start, qint64 wholeRecords, qint64 size,
                         const QString& pathForErrors) {
    if (!device.seek(start + wholeRecords * kRecordSize)) throw FileError(pathForErrors, readFailure(device));
    QByteArray tail(size, Qt::Uninitialized);
    tail.truncate(readUpTo(device, tail.data(), size, pathForErrors));
    return tail;
}

} // namespace

AnimationRecords ReadAnimation(QIODevice& device, const QString& pathForErrors, int limit) {
    if (!device.isReadable()) throw FileError(pathForErrors, device.errorString());
    AnimationRecords result;
    const qint64 wanted = std::max(0, limit);
    const bool sized = !device.isSequential();
    const qint64 start = sized ? device.pos() : 0;
    qint64 tailSize = 0;
    QByteArray tail;
    if (sized) {
        const qint64 total = device.size() - start;
        result.wholeRecords = total / kRecordSize;
        tailSize = total % kRecordSize;
    }
    const qint64 toRead = sized ? std::min(wanted, result.wholeRecords) : wanted;

    for (qint64 k = 0; k < toRead; ++k) {
        QByteArray record(kRecordSize, Qt::Uninitialized);
        const qint64 got = readUpTo(device, record.data(), kRecordSize, pathForErrors);
        if (got < kRecordSize) {
            if (sized) // the file shrank while it was read
                throw FileError(pathForErrors, readFailure(device));
            record.truncate(got);
            tail = record;
            break;
        }
        result.records.append(record);
    }
    if (!sized) {
        result.wholeRecords = result.records.size();
        if (result.records.size() == wanted) {
            RecordCount rest = countRemainingRecords(device, pathForErrors);
            result.wholeRecords += rest.whole;
            tail = std::move(rest.tail);
        }
        tailSize = tail.size();
    }
    // A short piece of something else is no empty document.
    if (result.wholeRecords == 0 && tailSize > 0)
        throw FileError(pathForErrors, QCoreApplication::translate("quillet::AnimationFile", kNotAnimationText));
    if (sized && tailSize > 0) tail = readSizedTail(device, start, result.wholeRecords, tailSize, pathForErrors);
    readTrailer(tail, result);
    return result;
}

AnimationRecords ReadAnimationFile(const QString& path, int limit) {
    // No size limit: a file of more than `limit` records is read only as far as its first `limit`.
    InputFile file(path, InputFile::kNoLimit);
    return ReadAnimation(file, path, limit);
}

void WriteAnimation(QIODevice& device, const TFilmPanel& strip, const QString& pathForErrors) {
    for (int k = 0; k < strip.count(); ++k) {
        const QByteArray record = strip.GetUnit(k).SaveToRecord();
        WriteFully(device, record.constData(), record.size(), pathForErrors);
    }
    const QByteArray trailer = durationTrailer(strip);
    if (!trailer.isEmpty()) WriteFully(device, trailer.constData(), trailer.size(), pathForErrors);
}

void WriteAnimationFile(const QString& path, const TFilmPanel& strip) {
    SaveFile file(path);
    WriteAnimation(file.device(), strip, path); // an exception leaves the save file uncommitted: the old file stays
    file.commit();
}

std::vector<std::unique_ptr<TAnsiImage>> MakeRecordUnits(const TFilmPanel& strip, const AnimationRecords& records,
                                                         int limit) {
    std::vector<std::unique_ptr<TAnsiImage>> units;
    for (qsizetype k = 0; k < records.records.size(); ++k) {
        if (static_cast<int>(units.size()) >= limit) break;
        const QByteArray& record = records.records.at(k);
        Q_ASSERT(record.size() == kRecordSize);
        units.push_back(strip.NewUnit());
        units.back()->LoadFromRecord(record.constData());
        if (k < records.durations.size()) units.back()->setDuration(records.durations.at(k));
    }
    return units;
}

int AppendRecords(TFilmPanel& strip, const AnimationRecords& records) {
    std::vector<std::unique_ptr<TAnsiImage>> units =
        MakeRecordUnits(strip, records, TFilmPanel::kMaxUnits - strip.count());
    const int appended = static_cast<int>(units.size());
    strip.AppendUnits(std::move(units));
    return appended;
}

} // namespace quillet

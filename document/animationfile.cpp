#include "animationfile.h"

#include "fileerror.h"
#include "filmpanel.h"
#include "inputfile.h"
#include "savefile.h"

#include <algorithm>

namespace quillet {

namespace {

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
    qint64 tail = 0; // bytes after the last whole record
};

// Counts the whole records left in a stream without keeping them.
RecordCount countRemainingRecords(QIODevice& device, const QString& pathForErrors) {
    QByteArray scratch(kRecordSize, Qt::Uninitialized);
    RecordCount count;
    for (;;) {
        const qint64 got = readUpTo(device, scratch.data(), kRecordSize, pathForErrors);
        if (got < kRecordSize) {
            count.tail = got;
            return count;
        }
        ++count.whole;
    }
}

} // namespace

AnimationRecords ReadAnimation(QIODevice& device, const QString& pathForErrors, int limit) {
    if (!device.isReadable()) throw FileError(pathForErrors, device.errorString());
    AnimationRecords result;
    const qint64 wanted = std::max(0, limit);
    const bool sized = !device.isSequential();
    qint64 tail = 0;
    if (sized) {
        const qint64 total = device.size() - device.pos();
        result.wholeRecords = total / kRecordSize;
        tail = total % kRecordSize;
    }
    const qint64 toRead = sized ? std::min(wanted, result.wholeRecords) : wanted;

    for (qint64 k = 0; k < toRead; ++k) {
        QByteArray record(kRecordSize, Qt::Uninitialized);
        const qint64 got = readUpTo(device, record.data(), kRecordSize, pathForErrors);
        if (got < kRecordSize) {
            if (sized) // the file shrank while it was read
                throw FileError(pathForErrors, readFailure(device));
            tail = got;
            break;
        }
        result.records.append(record);
    }
    if (!sized) {
        result.wholeRecords = result.records.size();
        if (result.records.size() == wanted) {
            const RecordCount rest = countRemainingRecords(device, pathForErrors);
            result.wholeRecords += rest.whole;
            tail = rest.tail;
        }
    }
    // A short piece of something else is no empty document.
    if (result.wholeRecords == 0 && tail > 0) throw FileError(pathForErrors, QString::fromUtf8(kNotAnimationText));
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
}

void WriteAnimationFile(const QString& path, const TFilmPanel& strip) {
    SaveFile file(path);
    WriteAnimation(file.device(), strip, path); // an exception leaves the save file uncommitted: the old file stays
    file.commit();
}

std::vector<std::unique_ptr<TAnsiImage>> MakeRecordUnits(const TFilmPanel& strip, const AnimationRecords& records,
                                                         int limit) {
    std::vector<std::unique_ptr<TAnsiImage>> units;
    for (const QByteArray& record : records.records) {
        if (static_cast<int>(units.size()) >= limit) break;
        Q_ASSERT(record.size() == kRecordSize);
        units.push_back(strip.NewUnit());
        units.back()->LoadFromRecord(record.constData());
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

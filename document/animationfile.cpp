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

// Reads exactly `size` bytes; false at the end of the data before that.
bool readFully(QIODevice& device, char* into, qint64 size, const QString& pathForErrors) {
    qint64 done = 0;
    while (done < size) {
        const qint64 got = device.read(into + done, size - done);
        if (got < 0) throw FileError(pathForErrors, readFailure(device));
        if (got == 0) return false;
        done += got;
    }
    return true;
}

// Counts the whole records left in a stream without keeping them.
qint64 countRemainingRecords(QIODevice& device, const QString& pathForErrors) {
    QByteArray scratch(kRecordSize, Qt::Uninitialized);
    qint64 count = 0;
    while (readFully(device, scratch.data(), kRecordSize, pathForErrors))
        ++count;
    return count;
}

} // namespace

AnimationRecords ReadAnimation(QIODevice& device, const QString& pathForErrors, int limit) {
    if (!device.isReadable()) throw FileError(pathForErrors, device.errorString());
    AnimationRecords result;
    const qint64 wanted = std::max(0, limit);
    const bool sized = !device.isSequential();
    if (sized) result.wholeRecords = (device.size() - device.pos()) / kRecordSize;
    const qint64 toRead = sized ? std::min(wanted, result.wholeRecords) : wanted;

    for (qint64 k = 0; k < toRead; ++k) {
        QByteArray record(kRecordSize, Qt::Uninitialized);
        if (!readFully(device, record.data(), kRecordSize, pathForErrors)) {
            if (sized) // the file shrank while it was read
                throw FileError(pathForErrors, readFailure(device));
            break;
        }
        result.records.append(record);
    }
    if (!sized)
        result.wholeRecords = result.records.size() +
                              (result.records.size() == wanted ? countRemainingRecords(device, pathForErrors) : 0);
    return result;
}

AnimationRecords ReadAnimationFile(const QString& path, int limit) {
    // No size limit: a file of more than `limit` records is read only as far as its first `limit`.
    InputFile file(path, InputFile::kNoLimit);
    return ReadAnimation(file, path, limit);
}

void WriteAnimation(QIODevice& device, const TFilmPanel& strip, const QString& pathForErrors) {
    for (int k = 0; k < strip.FCount; ++k) {
        const QByteArray record = strip.GetUnit(k).SaveToRecord();
        WriteFully(device, record.constData(), record.size(), pathForErrors);
    }
}

void WriteAnimationFile(const QString& path, const TFilmPanel& strip) {
    SaveFile file(path);
    WriteAnimation(file.device(), strip, path); // an exception leaves the save file uncommitted: the old file stays
    file.commit();
}

int AppendRecords(TFilmPanel& strip, const AnimationRecords& records) {
    int appended = 0;
    for (const QByteArray& record : records.records) {
        if (strip.FCount >= TFilmPanel::kMaxUnits) break;
        Q_ASSERT(record.size() == kRecordSize);
        strip.AddRecordUnit(record.constData());
        ++appended;
    }
    return appended;
}

} // namespace quillet

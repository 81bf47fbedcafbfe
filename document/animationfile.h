#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;

namespace quillet {

class TAnsiImage;
class TFilmPanel;

// The notice shown when a file holds more than 50 records.
inline constexpr char kNotAllDataText[] = "Not all data open!";
// Why a file that is not empty but shorter than one record cannot be opened (UTF-8).
inline constexpr char kNotAnimationText[] =
    QT_TRANSLATE_NOOP("quillet::AnimationFile", "不是动画文件：文件不足一个单元的长度（192000字节）");

// Why the durations after the records were ignored (UTF-8): the units still load and play at the
// document speed.
inline constexpr char kDurationsDamagedText[] =
    QT_TRANSLATE_NOOP("quillet::AnimationFile", "时长数据已损坏，已忽略，各单元按文档速度播放");
inline constexpr char kDurationsNewerText[] =
    QT_TRANSLATE_NOOP("quillet::AnimationFile", "时长数据来自较新版本的Quillet，已忽略");

// The records of an animation file: one 192000-byte record per unit, then, when some unit has a
// duration of its own, the durations' trailer. The trailer is shorter than one record, so a reader
// that knows only records takes it for a trailing piece and skips it. All numbers 32-bit
// little-endian: the magic "QLTTIMES", the version (1), the number of records, one duration per
// record in milliseconds (0: none, otherwise 10 to 60000), then the CRC-32 of everything before it.
struct AnimationRecords {
    QList<QByteArray> records; // at most TFilmPanel::kMaxUnits, in file order
    qint64 wholeRecords = 0;   // whole records in the file; a trailing piece is not counted
    // The units' own durations, one for each record read (0: none); empty when the file has no
    // durations or they were ignored.
    QList<std::int32_t> durations;
    // Why the durations were ignored (kDurationsDamagedText, kDurationsNewerText); empty when they
    // were read or the file has none.
    QString notice;
    bool notAllRead() const { return wholeRecords > records.size(); }
};

// Reads the records from a device; at most `limit` of them, and the durations of those. Throws
// FileError on a read failure and for data that is not empty but shorter than one record
// (kNotAnimationText): that is no animation file. Empty data is an empty document; a trailing piece
// after whole records is ignored unless it begins like the durations' trailer: a trailer that is
// cut short, too long, damaged, counts other records or holds a duration out of range, or one
// from a newer version, is ignored with a notice. A sized device is read up to the limit, then
// from the trailing piece on; the records between are skipped.
AnimationRecords ReadAnimation(QIODevice& device, const QString& pathForErrors, int limit);
// Opens the file read-only and reads its records before anything else changes. Throws FileError
// when it is missing, cannot be read or is no animation file, InputRefused when it is not a regular
// file; never creates a file.
AnimationRecords ReadAnimationFile(const QString& path, int limit);
// Writes every unit's record in strip order, then the durations' trailer when some unit has a
// duration of its own: a document without durations is records and nothing else.
void WriteAnimation(QIODevice& device, const TFilmPanel& strip, const QString& pathForErrors);
// Writes through a QSaveFile: on failure the old file stays as it was. Throws FileError.
void WriteAnimationFile(const QString& path, const TFilmPanel& strip);
// The first `limit` records as finished units made with the strip's NewUnit, not yet in any strip,
// each with its duration when the records have durations.
std::vector<std::unique_ptr<TAnsiImage>> MakeRecordUnits(const TFilmPanel& strip, const AnimationRecords& records,
                                                         int limit);
// Appends the records as units (each becomes current in turn), as file loading does, while the strip
// holds fewer than TFilmPanel::kMaxUnits units. The units are made first, then appended by
// TFilmPanel::AppendUnits. Returns how many were appended.
int AppendRecords(TFilmPanel& strip, const AnimationRecords& records);

} // namespace quillet

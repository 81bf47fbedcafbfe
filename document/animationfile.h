#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

class QIODevice;

namespace quillet {

class TAnsiImage;
class TFilmPanel;

// The notice shown when a file holds more than 50 records.
inline constexpr char kNotAllDataText[] = "Not all data open!";
// Why a file that is not empty but shorter than one record cannot be opened (UTF-8).
inline constexpr char kNotAnimationText[] = "不是动画文件：文件不足一个单元的长度（192000字节）";

// The records of an animation file: one 192000-byte record per unit, nothing else.
struct AnimationRecords {
    QList<QByteArray> records; // at most TFilmPanel::kMaxUnits, in file order
    qint64 wholeRecords = 0;   // whole records in the file; a trailing piece is not counted
    bool notAllRead() const { return wholeRecords > records.size(); }
};

// Reads the records from a device; at most `limit` of them. Throws FileError on a read failure and
// for data that is not empty but shorter than one record (kNotAnimationText): that is no animation
// file. Empty data is an empty document; a trailing piece after whole records is ignored.
AnimationRecords ReadAnimation(QIODevice& device, const QString& pathForErrors, int limit);
// Opens the file read-only and reads its records before anything else changes. Throws FileError
// when it is missing, cannot be read or is no animation file, InputRefused when it is not a regular
// file; never creates a file.
AnimationRecords ReadAnimationFile(const QString& path, int limit);
// Writes every unit's record in strip order.
void WriteAnimation(QIODevice& device, const TFilmPanel& strip, const QString& pathForErrors);
// Writes through a QSaveFile: on failure the old file stays as it was. Throws FileError.
void WriteAnimationFile(const QString& path, const TFilmPanel& strip);
// The first `limit` records as finished units made with the strip's NewUnit, not yet in any strip.
std::vector<std::unique_ptr<TAnsiImage>> MakeRecordUnits(const TFilmPanel& strip, const AnimationRecords& records,
                                                         int limit);
// Appends the records as units (each becomes current in turn), as file loading does, while the strip
// holds fewer than TFilmPanel::kMaxUnits units. The units are made first, then appended by
// TFilmPanel::AppendUnits. Returns how many were appended.
int AppendRecords(TFilmPanel& strip, const AnimationRecords& records);

} // namespace quillet

// Unit records and the animation file. The first byte picks the film strip's default byte mode
// and how the rest is read: as a whole animation file (records, trailing pieces, the 50-unit
// limit, data too short to be a file), as one to three blank records followed by the rest (the
// durations' trailer, whole or damaged, with small inputs), or as cells patched into one record,
// which reaches every extent and byte mode with small inputs. Every loaded unit must save back to
// exactly the record it came from, and a file read must write back to its records and durations.
#include "animationfile.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "fuzzsupport.h"
#include "unitrender.h"

#include <QBuffer>

using namespace quillet;
using namespace quillet::fuzz;

namespace {

void checkLoadedUnit(const TFilmPanel& strip, int index, const QByteArray& record) {
    const TAnsiImage& unit = strip.GetUnit(index);
    CheckUnit(unit, QString());
    FUZZ_CHECK(unit.tag() == index);
    FUZZ_CHECK(unit.cols() >= 8 && unit.rows() >= 2);
    FUZZ_CHECK(unit.byteMode() != bmAuto);
    FUZZ_CHECK(unit.SaveToRecord() == record);
    FUZZ_CHECK(RenderUnitPicture(unit).size() == QSize(unit.width(), unit.height()));
    FUZZ_CHECK(unit.GetLines().size() == unit.rows());
}

// Text taken out of a single-byte unit and put back is the same text.
void checkLinesRoundTrip(TFilmPanel& strip, int index) {
    const TAnsiImage& unit = strip.GetUnit(index);
    if (unit.byteMode() != bmSingleByte) return;
    const QList<QByteArray> lines = unit.GetLines();
    const int cols = unit.cols();
    const int rows = unit.rows();
    strip.SetUnitContent(index, lines, unit.backColor(), unit.fontColor());
    FUZZ_CHECK(unit.cols() == cols && unit.rows() == rows);
    FUZZ_CHECK(unit.GetLines() == lines);
}

// The strip written as a file: its records, then the trailer exactly when some unit has a duration;
// read again, the same records and durations without a notice.
void checkWrittenBack(const TFilmPanel& strip, const AnimationRecords& read) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    WriteAnimation(out, strip, QStringLiteral("fuzz.mmt"));
    bool timed = false;
    for (const std::int32_t d : read.durations)
        timed = timed || d != 0;
    const qint64 count = strip.count();
    FUZZ_CHECK(out.data().size() == count * kRecordSize + (timed ? 8 + 4 + 4 + 4 * count + 4 : 0));
    out.close();
    out.open(QIODevice::ReadOnly);
    const AnimationRecords again = ReadAnimation(out, QStringLiteral("fuzz.mmt"), TFilmPanel::kMaxUnits);
    FUZZ_CHECK(again.records == read.records);
    FUZZ_CHECK(again.notice.isEmpty());
    FUZZ_CHECK(again.durations == (timed ? read.durations : QList<std::int32_t>()));
}

void readFile(TFilmPanel& strip, const QByteArray& bytes) {
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    const qint64 whole = bytes.size() / kRecordSize;
    AnimationRecords read;
    try {
        read = ReadAnimation(device, QStringLiteral("fuzz.mmt"), TFilmPanel::kMaxUnits);
    } catch (const FileError&) {
        // Refused exactly when there is something, but less than one record.
        FUZZ_CHECK(whole == 0 && !bytes.isEmpty());
        return;
    }
    FUZZ_CHECK(whole > 0 || bytes.isEmpty());
    FUZZ_CHECK(read.wholeRecords == whole);
    FUZZ_CHECK(read.records.size() == std::min<qint64>(whole, TFilmPanel::kMaxUnits));
    FUZZ_CHECK(read.notAllRead() == (whole > TFilmPanel::kMaxUnits));
    for (qsizetype i = 0; i < read.records.size(); ++i)
        FUZZ_CHECK(read.records.at(i) == bytes.mid(i * kRecordSize, kRecordSize));
    // Durations: one for each record read, or none at all when there are none or they were ignored.
    FUZZ_CHECK(read.durations.isEmpty() || read.durations.size() == read.records.size());
    FUZZ_CHECK(read.notice.isEmpty() || read.durations.isEmpty());
    for (const std::int32_t d : read.durations)
        FUZZ_CHECK(IsUnitDuration(d));

    AppendRecords(strip, read);
    FUZZ_CHECK(strip.count() == read.records.size());
    FUZZ_CHECK(strip.currentIndex() == strip.count() - 1);
    for (int i = 0; i < strip.count(); ++i) {
        checkLoadedUnit(strip, i, read.records.at(i));
        FUZZ_CHECK(strip.GetUnit(i).duration() == (read.durations.isEmpty() ? 0 : read.durations.at(i)));
    }
    checkWrittenBack(strip, read);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnsureGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const std::uint8_t control = in.byte();
    TFilmPanel strip;
    // The stored mode control % 3 (bmAuto, bmDoubleByte, bmSingleByte) as its place in the list.
    strip.SetByteMode((3 - control % 3) % 3);
    if (control & 0x80) {
        readFile(strip, in.rest());
        return 0;
    }
    if (control & 0x40) {
        ByteReader none(nullptr, 0);
        const QByteArray blank = PatchedRecord(none);
        const int records = 1 + in.byte() % 3;
        readFile(strip, blank.repeated(records) + in.rest());
        return 0;
    }
    const QByteArray record = PatchedRecord(in);
    strip.AddRecordUnit(record.constData());
    FUZZ_CHECK(strip.count() == 1);
    checkLoadedUnit(strip, 0, record);
    checkLinesRoundTrip(strip, 0);
    return 0;
}

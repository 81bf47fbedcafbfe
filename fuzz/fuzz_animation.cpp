// Unit records and the animation file. The first byte picks the film strip's default byte mode
// and how the rest is read: as a whole animation file (records, trailing pieces, the 50-unit
// limit, data too short to be a file), or as cells patched into one record, which reaches every
// extent and byte mode with small inputs. Every loaded unit must save back to exactly the record
// it came from.
#include "animationfile.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "fuzzsupport.h"

#include <QBuffer>

using namespace quillet;
using namespace quillet::fuzz;

namespace {

void checkLoadedUnit(const TFilmPanel& strip, int index, const QByteArray& record) {
    const TAnsiImage& unit = strip.GetUnit(index);
    CheckUnit(unit, QString());
    FUZZ_CHECK(unit.Tag == index);
    FUZZ_CHECK(unit.FCols >= 8 && unit.FRows >= 2);
    FUZZ_CHECK(unit.FByteMode != bmAuto);
    FUZZ_CHECK(unit.SaveToRecord() == record);
    FUZZ_CHECK(unit.Picture.width() == unit.Width && unit.Picture.height() == unit.Height);
    FUZZ_CHECK(unit.GetLines().size() == unit.FRows);
}

// Text taken out of a single-byte unit and put back is the same text.
void checkLinesRoundTrip(TAnsiImage& unit) {
    if (unit.FByteMode != bmSingleByte) return;
    const QList<QByteArray> lines = unit.GetLines();
    const int cols = unit.FCols;
    const int rows = unit.FRows;
    unit.SetLines(lines);
    FUZZ_CHECK(unit.FCols == cols && unit.FRows == rows);
    FUZZ_CHECK(unit.GetLines() == lines);
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

    AppendRecords(strip, read);
    FUZZ_CHECK(strip.FCount == read.records.size());
    FUZZ_CHECK(strip.FCurrentIndex == strip.FCount - 1);
    for (int i = 0; i < strip.FCount; ++i)
        checkLoadedUnit(strip, i, read.records.at(i));
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
    strip.FDefaultByteMode = control % 3;
    if (control & 0x80) {
        readFile(strip, in.rest());
        return 0;
    }
    const QByteArray record = PatchedRecord(in);
    strip.AddRecordUnit(record.constData());
    FUZZ_CHECK(strip.FCount == 1);
    checkLoadedUnit(strip, 0, record);
    checkLinesRoundTrip(strip.GetUnit(0));
    return 0;
}

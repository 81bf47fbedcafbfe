// Unit records and the animation file. The first byte picks the film strip's default byte mode
// and how the rest is read: as a whole animation file (records, trailing pieces, the 50-unit
// limit, data too short to be a file), or as cells patched into one record, which reaches every
// extent and byte mode with small inputs. Every loaded unit must save back to exactly the record
// it came from.
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
    FUZZ_CHECK(strip.count() == read.records.size());
    FUZZ_CHECK(strip.currentIndex() == strip.count() - 1);
    for (int i = 0; i < strip.count(); ++i)
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
    // The stored mode control % 3 (bmAuto, bmDoubleByte, bmSingleByte) as its place in the list.
    strip.SetByteMode((3 - control % 3) % 3);
    if (control & 0x80) {
        readFile(strip, in.rest());
        return 0;
    }
    const QByteArray record = PatchedRecord(in);
    strip.AddRecordUnit(record.constData());
    FUZZ_CHECK(strip.count() == 1);
    checkLoadedUnit(strip, 0, record);
    checkLinesRoundTrip(strip, 0);
    return 0;
}

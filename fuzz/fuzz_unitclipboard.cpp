// The units' clipboard payload. The first byte picks the form of the rest:
// - above 0x7F: the rest is a payload as it came from the clipboard (with an odd first byte its last
//   four bytes are first made the right checksum, so the fuzzer reaches past the check). It is
//   refused with a FileError or gives units that encode back to exactly these bytes.
// - otherwise: one unit is made from the bytes (fields, then cells patched into its grid) and
//   encoded; the payload decodes to the same unit, and with any one bit flipped or cut short
//   anywhere it is refused with a FileError.
#include "fileerror.h"
#include "filmpanel.h"
#include "fuzzsupport.h"
#include "unitclipboard.h"

#include <QtEndian>

#include <zlib.h>

using namespace quillet;
using namespace quillet::fuzz;

namespace {

constexpr TColor kPageColor = 0x224466;

bool refused(const QByteArray& bytes, const TFilmPanel& strip) {
    try {
        DecodeUnits(bytes, strip);
    } catch (const FileError& e) {
        FUZZ_CHECK(!e.description().isEmpty());
        return true;
    }
    return false;
}

std::vector<const TAnsiImage*> pointers(const std::vector<std::unique_ptr<TAnsiImage>>& units) {
    std::vector<const TAnsiImage*> out;
    for (const auto& u : units)
        out.push_back(u.get());
    return out;
}

void readPayload(QByteArray bytes, bool fixChecksum, const TFilmPanel& strip) {
    if (fixChecksum && bytes.size() >= 4) {
        const qsizetype body = bytes.size() - 4;
        const auto crc = static_cast<std::uint32_t>(
            crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.constData()), static_cast<uInt>(body)));
        qToLittleEndian(crc, bytes.data() + body);
    }
    std::vector<std::unique_ptr<TAnsiImage>> units;
    try {
        units = DecodeUnits(bytes, strip);
    } catch (const FileError&) {
        return;
    }
    FUZZ_CHECK(units.size() <= TFilmPanel::kMaxUnits);
    for (const auto& unit : units) {
        CheckUnit(*unit, unit->fileName());
        FUZZ_CHECK(unit->pageColor() == kPageColor);
    }
    FUZZ_CHECK(EncodeUnits(pointers(units)) == bytes);
}

void roundTrip(ByteReader& in, const TFilmPanel& strip) {
    UnitContent c;
    c.byteMode = static_cast<std::uint8_t>(in.byte() % 3);
    c.cols = in.byte() % (kGridCols + 1);
    c.rows = in.byte() % (kGridRows + 1);
    c.backColor = in.i32();
    c.fontColor = in.i32();
    c.hasColor = in.byte() & 1;
    QByteArray name;
    for (int k = in.byte() % 16; k > 0; --k)
        name += static_cast<char>(in.byte());
    c.fileName = QString::fromUtf8(name);
    const std::uint32_t flip = static_cast<std::uint32_t>(in.i32());
    const std::uint32_t cut = static_cast<std::uint32_t>(in.i32());
    c.grid = PatchedRecord(in);
    std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
    unit->setContent(c);
    unit->FitSize();

    const QByteArray bytes = EncodeUnits({unit.get()});
    const std::vector<std::unique_ptr<TAnsiImage>> decoded = DecodeUnits(bytes, strip);
    FUZZ_CHECK(decoded.size() == 1);
    const UnitContent back = decoded.front()->content();
    const UnitContent sent = unit->content();
    FUZZ_CHECK(back.grid == sent.grid && back.fileName == sent.fileName && back.cols == sent.cols &&
               back.rows == sent.rows && back.backColor == sent.backColor && back.fontColor == sent.fontColor &&
               back.byteMode == sent.byteMode && back.hasColor == sent.hasColor && back.width == sent.width &&
               back.height == sent.height);
    CheckUnit(*decoded.front(), sent.fileName);

    QByteArray flipped = bytes;
    const qsizetype at = static_cast<qsizetype>((flip >> 3) % static_cast<std::uint32_t>(bytes.size()));
    flipped[at] = static_cast<char>(flipped[at] ^ (1 << (flip & 7)));
    FUZZ_CHECK(refused(flipped, strip));
    FUZZ_CHECK(refused(bytes.left(static_cast<qsizetype>(cut % static_cast<std::uint32_t>(bytes.size()))), strip));
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
    strip.SetPageColor(kPageColor);
    if (control & 0x80)
        readPayload(in.rest(), control & 1, strip);
    else
        roundTrip(in, strip);
    return 0;
}

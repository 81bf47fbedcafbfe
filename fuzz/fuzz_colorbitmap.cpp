// The colour file in its picture form: the bytes go through the colour file's picture reader, which
// reads a BMP and nothing else, and what it makes of them goes to LoadColorBitmap, in a single-byte
// and in a double-byte unit. Only bytes that begin as a BMP file ("BM") ever give a picture, and no
// picture has more pixels than the reader allows; colours land only inside the grid, the extent
// stays within it, and every coloured cell holds the pixel the rule names.
#include "fuzzsupport.h"
#include "rounding.h"

#include <QBuffer>
#include <QImage>

using namespace quillet;
using namespace quillet::fuzz;

namespace {

TColor colorAt(const QImage& picture, int x, int y) {
    const QRgb rgb = picture.pixel(x, y);
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

void checkMode(const QImage& picture, std::uint8_t mode) {
    TAnsiImage unit;
    PrepareUnit(unit, mode);
    const bool applied = unit.LoadColorBitmap(picture);
    const int half = roundHalfEven(picture.height() / 2.0);
    const bool doubleByte = mode == bmDoubleByte;
    const int cells = doubleByte ? roundHalfEven(picture.width() / 2.0) : picture.width();
    // An odd height whose half goes up has no pixel row for the last bottom half: that fails (a
    // picture taller than the grid may stop at the grid's last row first).
    if (half <= kGridRows) FUZZ_CHECK(applied == (2 * half <= picture.height()));
    if (applied) {
        FUZZ_CHECK(unit.rows() == std::min(kGridRows, half));
        FUZZ_CHECK(unit.cols() == std::min(kGridCols, cells));
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
        for (int i = 0; i < unit.rows(); ++i) {
            for (int j = 0; j < unit.cols(); ++j) {
                const int x = doubleByte ? 2 * j : j;
                FUZZ_CHECK(unit.cell(i, j).FontColor == colorAt(rgb, x, i));
                FUZZ_CHECK(unit.cell(i, j).BackColor == colorAt(rgb, x, i + half));
            }
        }
    } else {
        FUZZ_CHECK(unit.rows() == 0 && unit.cols() == 0);
    }
    // The import ends with the text: the extent is capped and the size follows.
    unit.SetLines({});
    CheckUnit(unit, QString());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnsureGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QBuffer device;
    device.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    device.open(QIODevice::ReadOnly);
    const QImage picture = ReadColorBitmap(device);
    if (picture.isNull()) return 0;
    FUZZ_CHECK(size >= 2 && data[0] == 'B' && data[1] == 'M');
    FUZZ_CHECK(picture.sizeInBytes() <= qsizetype{16} * 1024 * 1024);
    checkMode(picture, bmSingleByte);
    checkMode(picture, bmDoubleByte);
    return 0;
}

// Writes an exported page for the browser test.
//   make_page OUT.htm SCRIPT KIND UNITS DELAY BUTTONS(0|1)
// KIND: small  single-byte units of three short rows
//       full   full double-byte units (100 x 80), each row with one coloured run
//       worst  full double-byte units whose cells change colour at every cell
#include "../unitbuilder.h"
#include "fileerror.h"
#include "pagewriter.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <exception>

using namespace quillet;

namespace {

void addSmallUnit(TFilmPanel& film, int number) {
    TAnsiImage& unit = testunits::AppendUnit(film, 24, 3, bmSingleByte, 0x000000, 0xFFFFFF);
    testunits::PutText(unit, 0, "Frame " + QByteArray::number(number) + " <of> A&B");
    testunits::PutText(unit, 1, "\xd6\xd0\xce\xc4 GBK");
    static const TColor kBands[] = {0x0000FF, 0x00C000, 0xFF0000};
    for (int c = 0; c < 5; ++c)
        unit.cell(2, c).BackColor = kBands[number % 3];
}

void addFullUnit(TFilmPanel& film, int number, bool everyCell) {
    TAnsiImage& unit = testunits::AppendUnit(film, 100, 80, bmDoubleByte, 0x008000, 0xFFFFFF);
    for (int r = 0; r < 80; ++r)
        for (int c = 0; c < 100; ++c) {
            TAnsiCell& cell = unit.cell(r, c);
            cell.Chars[0] = static_cast<std::uint8_t>(0xB0 + (r + number) % 16);
            cell.Chars[1] = static_cast<std::uint8_t>(0xA1 + c % 90);
            if (everyCell) {
                cell.FontColor = ((r * 100 + c + number) * 97) & 0xFFFFFF;
                cell.BackColor = 0xFFFFFF - (((r * 100 + c) * 31) & 0x7F7F7F);
            } else if (c >= (r + number) % 60 && c < (r + number) % 60 + 30) {
                cell.FontColor = (r * 0x030507) & 0xFFFFFF;
            }
        }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: make_page OUT.htm SCRIPT small|full UNITS DELAY BUTTONS\n");
        return 2;
    }
    try {
        TFilmPanel film;
        const QByteArray kind = argv[3];
        const int units = QByteArray(argv[4]).toInt();
        for (int i = 1; i <= units; ++i) {
            if (kind == "full" || kind == "worst")
                addFullUnit(film, i, kind == "worst");
            else
                addSmallUnit(film, i);
        }
        THtmFP writer(QString::fromLocal8Bit(argv[2]));
        writer.FFilm = &film;
        writer.FTitle = "Browser test";
        writer.FBackColorHex = "FFFFFF";
        writer.FFontColorHex = "000000";
        writer.FSpeed = QByteArray(argv[5]).toInt();
        writer.FShowButtons = QByteArray(argv[6]) == "1";
        writer.FFileName = QString::fromLocal8Bit(argv[1]);
        writer.WritePage();
    } catch (const FileError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

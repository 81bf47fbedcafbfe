// Writes an exported page for the browser tests.
//   make_page OUT.htm SCRIPT DELAY BUTTONS(0|1) KIND [UNITS | TEXT...]
// KIND: small     UNITS single-byte units of three short rows
//       full      UNITS full double-byte units (100 x 80), each row with one coloured run
//       worst     UNITS full double-byte units whose cells change colour at every cell
//       mixed     UNITS single- and double-byte units of seeded text: ASCII, spaces, Chinese characters,
//                 full-width punctuation, forms, symbols and box drawing, in coloured runs; in the
//                 single-byte units a double-byte character may start at any cell
//       offgrid   UNITS small units, the second of which holds the lead byte of a double-byte character
//                 before an ASCII one: the browser reads it as U+FFFD, which is wider than a half cell
//       document  the text pages TEXT..., imported the way the batch mode builds the sample document
//                 (byte mode auto, black on white)
//       timed     small units, one for each DURATION... given: its own duration in ms (0: none)
#include "../unitbuilder.h"
#include "fileerror.h"
#include "pagewriter.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>

#include <cstdio>
#include <exception>
#include <iterator>
#include <optional>
#include <random>

using namespace quillet;

namespace {

TAnsiImage& addSmallUnit(TFilmPanel& film, int number) {
    TAnsiImage& unit = testunits::AppendUnit(film, 24, 3, bmSingleByte, 0x000000, 0xFFFFFF);
    testunits::PutText(unit, 0, "Frame " + QByteArray::number(number) + " <of> A&B");
    testunits::PutText(unit, 1, "\xd6\xd0\xce\xc4 GBK");
    static const TColor kBands[] = {0x0000FF, 0x00C000, 0xFF0000};
    for (int c = 0; c < 5; ++c)
        unit.editCell(2, c).BackColor = kBands[number % 3];
    return unit;
}

void addOffGridUnit(TFilmPanel& film, int number) {
    TAnsiImage& unit = addSmallUnit(film, number);
    if (number == 2) testunits::PutText(unit, 1, "\xb0!");
}

void addFullUnit(TFilmPanel& film, int number, bool everyCell) {
    TAnsiImage& unit = testunits::AppendUnit(film, 100, 80, bmDoubleByte, 0x008000, 0xFFFFFF);
    for (int r = 0; r < 80; ++r)
        for (int c = 0; c < 100; ++c) {
            TAnsiCell& cell = unit.editCell(r, c);
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

// GBK double-byte characters besides the ideographs and the box-drawing pieces: full-width
// punctuation, forms and symbols.
const char* const kFullWidthSigns[] = {
    "\xa3\xac", "\xa1\xa3", "\xa1\xa2", "\xa3\xbb", "\xa3\xba", "\xa3\xbf", "\xa3\xa1", // ， 。 、 ； ： ？ ！
    "\xa1\xb0", "\xa1\xb1", "\xa1\xae", "\xa1\xaf", "\xa1\xb6", "\xa1\xb7", "\xa3\xa8", // “ ” ‘ ’ 《 》 （
    "\xa3\xa9", "\xa1\xbe", "\xa1\xbf", "\xa1\xaa", "\xa1\xad", "\xa1\xab", "\xa3\xb0", // ） 【 】 — … ～ ０
    "\xa3\xb9", "\xa3\xc1", "\xa3\xda", "\xa1\xee", "\xa1\xef", "\xa1\xf0", "\xa1\xf1", // ９ Ａ Ｚ ☆ ★ ○ ●
    "\xa1\xf5", "\xa1\xf6", "\xa1\xf7", "\xa1\xf9", "\xa1\xfa", "\xa1\xfe", "\xa3\xfe", // □ ■ △ ※ → 〓 ￣
    "\xa1\xa1",                                                                         // the ideographic space
};

// Seeded text for the mixed units; rng() % n keeps the pages the same on every standard library.
class MixedText {
public:
    explicit MixedText(int seed) : m_rng(static_cast<std::mt19937::result_type>(seed)) {}

    int below(int n) { return static_cast<int>(m_rng() % static_cast<std::uint32_t>(n)); }

    // One half-width character: mostly letters and blanks, now and then one the page escapes.
    std::uint8_t halfWidth() {
        static const char kEscaped[] = "&<>\"";
        const int pick = below(10);
        if (pick < 3) return ' ';
        if (pick == 3) return static_cast<std::uint8_t>(kEscaped[below(4)]);
        return static_cast<std::uint8_t>(0x21 + below(0x7E - 0x21 + 1));
    }

    // One double-byte character: an ideograph of the first level or of the extension the first faces of
    // the template lack now and then, a sign, or a box-drawing piece.
    QByteArray fullWidth() {
        switch (below(5)) {
        case 0:
        case 1:
            return bytePair(0xB0 + below(0xD7 - 0xB0 + 1), 0xA1 + below(0xF9 - 0xA1 + 1));
        case 2: {
            const int trail = 0x40 + below(0xFE - 0x40); // 0x40 to 0xFE without 0x7F
            return bytePair(0x81 + below(0xA0 - 0x81 + 1), trail < 0x7F ? trail : trail + 1);
        }
        case 3:
            return kFullWidthSigns[below(std::size(kFullWidthSigns))];
        default:
            return bytePair(0xA9, 0xA4 + below(0xEF - 0xA4 + 1));
        }
    }

    struct Colours {
        TColor font;
        TColor back;
    };
    // The colours of the next character: runs of a few characters keep them.
    Colours nextColours(const Colours& defaults) {
        if (m_runLeft-- > 0) return m_run;
        m_runLeft = below(6);
        const int pick = below(4);
        m_run.font = pick == 1 || pick == 3 ? static_cast<TColor>(m_rng() & 0xFFFFFF) : defaults.font;
        m_run.back = pick == 2 || pick == 3 ? static_cast<TColor>(m_rng() & 0xFFFFFF) : defaults.back;
        return m_run;
    }

private:
    static QByteArray bytePair(int lead, int trail) {
        const char bytes[] = {static_cast<char>(lead), static_cast<char>(trail)};
        return QByteArray(bytes, 2);
    }

    std::mt19937 m_rng;
    int m_runLeft = 0;
    Colours m_run{0, 0};
};

void addMixedUnit(TFilmPanel& film, int number) {
    MixedText text(number);
    const bool doubleByte = number % 2 == 0;
    // The first two units are as wide as a unit gets; the others take a width at random.
    const int cols = number <= 2 ? (doubleByte ? 100 : 200) : 8 + text.below(doubleByte ? 60 : 120);
    const int rows = 2 + text.below(10);
    const MixedText::Colours defaults{0x000000, number % 3 == 0 ? 0xE0FFFF : 0xFFFFFF};
    TAnsiImage& unit =
        testunits::AppendUnit(film, cols, rows, doubleByte ? bmDoubleByte : bmSingleByte, defaults.font, defaults.back);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols;) {
            const MixedText::Colours colours = text.nextColours(defaults);
            const bool wide = text.below(2) == 0;
            if (doubleByte) {
                TAnsiCell& cell = unit.editCell(r, c++);
                if (wide) {
                    const QByteArray pair = text.fullWidth();
                    cell.Chars[0] = static_cast<std::uint8_t>(pair.at(0));
                    cell.Chars[1] = static_cast<std::uint8_t>(pair.at(1));
                } else {
                    cell.Chars[0] = text.halfWidth();
                    cell.Chars[1] = text.halfWidth();
                }
                cell.FontColor = colours.font;
                cell.BackColor = colours.back;
            } else {
                // A double-byte character takes two cells of one colour, so no tag splits its bytes.
                const QByteArray bytes =
                    wide && c + 1 < cols ? text.fullWidth() : QByteArray(1, static_cast<char>(text.halfWidth()));
                for (const char byte : bytes) {
                    TAnsiCell& cell = unit.editCell(r, c++);
                    cell.Chars[1] = static_cast<std::uint8_t>(byte);
                    cell.FontColor = colours.font;
                    cell.BackColor = colours.back;
                }
            }
        }
    }
}

void addTextPages(TFilmPanel& film, char** pages, int count) {
    film.SetDefaultColors(0xFFFFFF, 0x000000);
    for (int i = 0; i < count; ++i)
        film.AddTextUnit(QString::fromLocal8Bit(pages[i]));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fprintf(stderr, "usage: make_page OUT.htm SCRIPT DELAY BUTTONS small|full|worst|mixed|offgrid UNITS\n"
                             "       make_page OUT.htm SCRIPT DELAY BUTTONS document TEXT...\n"
                             "       make_page OUT.htm SCRIPT DELAY BUTTONS timed DURATION...\n");
        return 2;
    }
    const QByteArray kind = argv[5];
    // The import draws the unit it makes current, and drawing takes the application's fonts.
    std::optional<QGuiApplication> app;
    if (kind == "document") app.emplace(argc, argv);
    try {
        TFilmPanel film;
        if (kind == "document") {
            addTextPages(film, argv + 6, argc - 6);
        } else if (kind == "timed") {
            for (int i = 6; i < argc; ++i) {
                addSmallUnit(film, i - 5);
                film.SetUnitDuration(i - 6, QByteArray(argv[i]).toInt());
            }
        } else {
            const int units = QByteArray(argv[6]).toInt();
            for (int i = 1; i <= units; ++i) {
                if (kind == "full" || kind == "worst")
                    addFullUnit(film, i, kind == "worst");
                else if (kind == "mixed")
                    addMixedUnit(film, i);
                else if (kind == "offgrid")
                    addOffGridUnit(film, i);
                else
                    addSmallUnit(film, i);
            }
        }
        PageOptions options;
        options.title = "Browser test";
        options.backColorHex = "FFFFFF";
        options.fontColorHex = "000000";
        options.speed = QByteArray(argv[3]).toInt();
        options.showButtons = QByteArray(argv[4]) == "1";
        THtmFP(QString::fromLocal8Bit(argv[2])).WritePage(film, options, QString::fromLocal8Bit(argv[1]));
    } catch (const FileError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

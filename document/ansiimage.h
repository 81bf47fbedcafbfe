#pragma once

#include "ansicell.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <vector>

class QIODevice;

namespace quillet {

// The text "FileOpenError!" shown when a colour list cannot be read.
inline constexpr char kColorListErrorText[] = "FileOpenError!";

// What a text import has to tell its caller besides its result.
struct ImportReport {
    bool colorListFailed = false; // the colour list was bad: the caller shows kColorListErrorText
    QString colorListError;       // the system's reason when the colour file could not be opened
};

struct TextPage;
class TFilmPanel;

// Everything a unit's picture and record are made of, apart from its place in a strip, its
// selection and its page colour, and the unit's own duration: what an undo step gives back to a
// unit in one piece.
struct UnitContent {
    QByteArray grid; // the grid's kRecordSize bytes as the unit holds them, cell after cell
    QString fileName;
    std::int32_t cols = 0;
    std::int32_t rows = 0;
    TColor backColor = 0;
    TColor fontColor = 0;
    std::uint8_t byteMode = bmAuto;
    bool hasColor = false;
    int width = 0;
    int height = 0;
    std::int32_t duration = 0; // the unit's own duration in milliseconds, 0 for none
};

// How long a unit may show by its own duration, in milliseconds; 0 stands for none: the unit
// plays at the document speed.
inline constexpr std::int32_t kMinUnitDuration = 10;
inline constexpr std::int32_t kMaxUnitDuration = 60000;
// True for 0 (none) and for kMinUnitDuration .. kMaxUnitDuration.
constexpr bool IsUnitDuration(std::int64_t milliseconds) {
    return milliseconds == 0 || (milliseconds >= kMinUnitDuration && milliseconds <= kMaxUnitDuration);
}

// One frame of the animation: an 80 x 200 grid of cells with its default colours, used extent and
// byte mode. Not a widget: its place and size are plain values that the film strip keeps and a view
// shows; its picture is drawn by RenderUnit (unitrender.h) and kept by whoever shows it.
//
// Every field changes only through the operations below, and each of them bumps revision() (all
// but setDuration: no picture shows the duration), so a picture drawn for one (id(), revision())
// pair stays right until the next change. A unit in a film
// strip is reachable from outside only as a const reference: it changes through the strip's
// operations, which say what changed.
class TAnsiImage {
public:
    TAnsiImage();
    TAnsiImage(const TAnsiImage&) = delete;
    TAnsiImage& operator=(const TAnsiImage&) = delete;

    // Identity for the life of the process: no two units ever share one, even at the same address.
    std::uint64_t id() const { return m_id; }
    // Grows with every change of anything a picture shows (cells, extent, size, colours, selection).
    std::uint64_t revision() const { return m_revision; }

    const TAnsiGrid& grid() const { return FGrid; }
    const QString& fileName() const { return FFileName; } // text file the unit was imported from
    std::int32_t cols() const { return FCols; }           // used width in cells
    std::int32_t rows() const { return FRows; }           // used height in rows
    std::int32_t cellSize() const { return FCellSize; }
    TColor backColor() const { return FBackColor; } // default background colour
    TColor fontColor() const { return FFontColor; } // default text colour
    bool hasColor() const { return FHasColor; }     // a colour file was applied on import
    bool selected() const { return FSelected; }     // the film strip's current unit (red holes)
    TColor pageColor() const { return FPageColor; } // the bands above and below the text area
    std::uint8_t byteMode() const { return FByteMode; }
    bool IsDoubleByte() const { return FByteMode == bmDoubleByte; }
    // How long the unit shows when the animation plays, in milliseconds; 0: the document speed.
    std::int32_t duration() const { return m_duration; }

    // Geometry of the picture in the film strip, in pixels, and the index there.
    int left() const { return Left; }
    int top() const { return Top; }
    int width() const { return Width; }
    int height() const { return Height; }
    int tag() const { return Tag; }
    QRect geometry() const { return QRect(Left, Top, Width, Height); }

    const TAnsiCell& cell(int row, int col) const { return FGrid[cellIndex(row, col)]; }
    // The cell to change in place; counts as a change of the unit.
    TAnsiCell& editCell(int row, int col) {
        ++m_revision;
        return FGrid[cellIndex(row, col)];
    }

    // One cell's new bytes and colours; index = row * kGridCols + col.
    struct CellWrite {
        int index;
        TAnsiCell cell;
    };
    // Writes the cells in order (a later write to the same cell wins) as one change: the revision
    // grows by exactly one. Writes whose index lies outside the grid are ignored.
    void writeCells(const std::vector<CellWrite>& cells);

    // Every cell becomes two spaces in the default colours; extent and reserved bytes stay.
    void Clear();
    // New default colour; cells of the extent that showed the old default follow it.
    void SetBackColor(TColor value);
    void SetFontColor(TColor value);
    void ReplaceBackColor(TColor oldColor, TColor newColor);
    void ReplaceFontColor(TColor oldColor, TColor newColor);
    // Spaces into every cell of the extent; colours stay.
    void BlankText();
    static int MaxLineLength(const QList<QByteArray>& lines);
    // Places the lines into the grid; the extent grows to fit (in double-byte mode FCols is cut to 100).
    void SetLines(const QList<QByteArray>& lines);
    // Exactly FRows lines, each without trailing bytes <= 0x20.
    QList<QByteArray> GetLines() const;
    // The bytes the cell shows: 0 to 2 bytes in double-byte mode, otherwise Chars[1].
    QByteArray CellText(int row, int col) const;
    TCellInfo GetCell(int row, int col) const;

    // The byte mode (bmAuto, bmDoubleByte, bmSingleByte) the next import or load starts from.
    void setByteMode(std::uint8_t mode);
    void setPageColor(TColor color);
    // Red sprocket holes when selected, white otherwise.
    void setSelected(bool selected);
    // Sets the used extent as it is, without FitSize.
    void setExtent(std::int32_t cols, std::int32_t rows);
    // Sets the picture's size as it is; FitSize sets it from the extent.
    void setSize(int width, int height);
    // The unit's own duration; a value IsUnitDuration refuses leaves it as it was. No picture shows
    // it: the revision stays.
    void setDuration(std::int32_t milliseconds);
    // The unit's content as one value, and back: after setContent(c), content() equals c.
    // setContent expects c.grid to hold kRecordSize bytes and c.duration to be one IsUnitDuration
    // accepts.
    UnitContent content() const;
    void setContent(const UnitContent& content);

    // The 192000-byte record. When the extent does not reach the last cell, the record's last cell
    // carries the current default colours, so a reloaded unit gets the defaults it had.
    QByteArray SaveToRecord() const;
    // Fills a freshly created and cleared unit from a record of kRecordSize bytes.
    void LoadFromRecord(const char* record);
    // Width and Height from the extent and byte mode.
    void FitSize();

    // Imports a text file (and the colour file beside it). Throws FileError when the text file
    // cannot be read, or when either file is refused (InputRefused: not a regular file, too large);
    // both files are read before the unit changes, so it is then as it was.
    ImportReport LoadFromTextFile(const QString& path);
    // Same, from bytes already open; colourPath names the optional colour file ("" for none).
    // Throws InputRefused when the colour file is refused.
    ImportReport LoadFromText(QIODevice& text, const QString& colourPath);
    // Moves double-byte characters so each opening byte stands at an odd position (counted from 1).
    // True when any line holds a byte above 0x80.
    static bool AlignDoubleByte(QList<QByteArray>& lines);
    // The colour file: bitmap form first (ReadColorBitmap), the list form when it is not a readable
    // BMP picture. A file that cannot be read is a bad list; one that is refused throws InputRefused.
    bool LoadColorFile(const QString& path, ImportReport* report = nullptr);
    bool LoadColorBitmap(const QImage& picture);
    bool LoadColorList(const QString& path, ImportReport* report = nullptr);
    bool LoadColorList(QIODevice& list, ImportReport* report = nullptr);

    // The text area of the picture, without the frame's margins (21 pixels at each side, 11 above,
    // 12 below): what the preview shows and the picture export writes.
    QRect TextArea() const { return QRect(21, 11, std::max(Width - 42, 0), std::max(Height - 23, 0)); }

private:
    friend class TFilmPanel; // places the unit in the strip

    static std::size_t cellIndex(int row, int col) { return static_cast<std::size_t>(row * kGridCols + col); }
    TAnsiCell& mutableCell(int row, int col) { return FGrid[cellIndex(row, col)]; }
    // Reads the colour file, then places the page; throws (InputRefused) before anything changes.
    ImportReport importPage(TextPage& page, const QString& colourPath);
    // The colour file's bytes: bitmap form first, the list form otherwise.
    bool loadColorBytes(const QByteArray& bytes, ImportReport* report);
    void setPlace(int left, int top, int tag);

    TAnsiGrid FGrid{}; // every byte 0 at creation
    QString FFileName;
    std::int32_t FCols = 0;
    std::int32_t FRows = 0;
    std::int32_t FCellSize = 12;
    TColor FBackColor = 0;
    TColor FFontColor = 0;
    bool FHasColor = false;
    bool FSelected = false;
    TColor FPageColor = 0;
    std::uint8_t FByteMode = bmAuto;

    int Left = 0;
    int Top = 0;
    int Width = 1200;
    int Height = 960;
    int Tag = 0; // index in the film strip

    std::int32_t m_duration = 0;

    std::uint64_t m_id;
    std::uint64_t m_revision = 1;
};

using CellWrite = TAnsiImage::CellWrite;

// The colour file of a text page: its path with the last three characters replaced by "clo"
// (page.txt -> page.clo).
QString ColorFilePath(const QString& textPath);

// The picture form of a colour file: a BMP picture and nothing else (the format is never guessed
// from the bytes or the name), of at most 16 MB of decoded pixels. Null when the bytes are not such
// a picture; the device is then left anywhere.
QImage ReadColorBitmap(QIODevice& device);

// The lines of a text page as the import needs them. Lines end at CR LF, LF or a lone CR; a zero
// byte ends the text. Only what can reach the grid is kept (the first 80 lines, the first
// kKeptLineBytes bytes of each), so memory stays bounded whatever the size of the file; every
// byte still counts for hasHighByte, and the lines past the 80th still count for the width.
struct TextPage {
    static constexpr int kKeptLines = 80;
    static constexpr int kKeptLineBytes = 512;
    QList<QByteArray> lines;
    bool hasHighByte = false; // some byte above 0x80
    // Longest line past the kept ones in bytes, as it stands and after AlignDoubleByte; both
    // counted up to kKeptLineBytes, more than a grid row holds.
    int restWidth = 0;
    int restAlignedWidth = 0;
};
// Throws FileError when the device cannot be read.
TextPage ReadTextPage(QIODevice& device, const QString& pathForErrors);

} // namespace quillet

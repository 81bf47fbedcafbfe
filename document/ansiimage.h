#pragma once

#include "ansicell.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <algorithm>

class QIODevice;

namespace quillet {

// The text "FileOpenError!" shown when a colour list cannot be read.
inline constexpr char kColorListErrorText[] = "FileOpenError!";

// What a text import has to tell its caller besides its result.
struct ImportReport {
    bool colorListFailed = false; // the colour list was bad: the caller shows kColorListErrorText
    QString colorListError;       // the system's reason when the colour file could not be opened
};

// One frame of the animation: an 80 x 200 grid of cells with its default colours, used extent,
// byte mode and rendered picture. Not a widget: its place and size are plain values that the
// film strip keeps and a view shows.
class TAnsiImage {
public:
    TAnsiImage();
    TAnsiImage(const TAnsiImage&) = delete;
    TAnsiImage& operator=(const TAnsiImage&) = delete;

    TAnsiGrid FGrid{};      // every byte 0 at creation
    QString FFileName;      // text file the unit was imported from
    std::int32_t FCols = 0; // used width in cells
    std::int32_t FRows = 0; // used height in rows
    std::int32_t FCellSize = 12;
    TColor FBackColor = 0;  // default background colour
    TColor FFontColor = 0;  // default text colour
    bool FHasColor = false; // a colour file was applied on import
    bool FSelected = false; // the film strip's current unit (red holes)
    TColor FPageColor = 0;  // colour of the bands above and below the text area
    std::uint8_t FByteMode = bmAuto;

    // Geometry of the picture in the film strip, in pixels.
    int Left = 0;
    int Top = 0;
    int Width = 1200;
    int Height = 960;
    int Tag = 0; // index in the film strip

    // The rendered picture (Format_RGB32, Width x Height); null until the first Render.
    QImage Picture;

    TAnsiCell& cell(int row, int col) { return FGrid[static_cast<std::size_t>(row * kGridCols + col)]; }
    const TAnsiCell& cell(int row, int col) const { return FGrid[static_cast<std::size_t>(row * kGridCols + col)]; }

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
    bool IsDoubleByte() const { return FByteMode == bmDoubleByte; }

    // The 192000-byte record. When the extent does not reach the last cell, the record's last cell
    // carries the current default colours, so a reloaded unit gets the defaults it had.
    QByteArray SaveToRecord() const;
    // Fills a freshly created and cleared unit from a record of kRecordSize bytes.
    void LoadFromRecord(const char* record);
    // Width and Height from the extent and byte mode.
    void FitSize();

    // Imports a text file (and the colour file beside it). Throws FileError when the text file
    // cannot be read, or when either file is refused (InputRefused: not a regular file, too large);
    // the film strip then drops the unit.
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

    // Redraws the picture: the film frame, then every cell of the extent.
    void Render();
    void DrawFrame();
};

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

#pragma once

#include "ansiimage.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace quillet {

class TFilmPanel;

// The MIME type of Quillet's own clipboard payload of units.
inline constexpr char kUnitsMimeType[] = "application/x-quillet-units";

// The units as Quillet's own clipboard bytes, little-endian: the magic "QLTUNITS", the version
// (1; 2 when some unit has a duration of its own), the number of units, then per unit its file
// name (length and UTF-8 bytes), extent, default colours, byte mode, colour flag, in version 2 its
// duration, and grid (kRecordSize bytes as the unit holds them), and last the CRC-32 of
// everything before it.
QByteArray EncodeUnits(const std::vector<const TAnsiImage*>& units);
// Units made with strip.NewUnit() from such bytes (their size from FitSize, their page colour the
// strip's). Throws FileError with a clear message on bytes that are not such a payload: wrong
// magic, newer version, bad checksum, truncated or with bytes past its end, too many units, a
// field out of range. Reads nothing outside `bytes` and allocates nothing before the payload's
// size has been checked.
std::vector<std::unique_ptr<TAnsiImage>> DecodeUnits(const QByteArray& bytes, const TFilmPanel& strip);
// The units' text in Unicode: each unit's rows (GetLines, decoded from GBK) joined by "\n", units
// separated by an empty line.
QString UnitsPlainText(const std::vector<const TAnsiImage*>& units);
// A copy of the strip's unit `index` (grid, extent, size, colours, byte mode, file name, colour
// flag), not in any strip, with the strip's page colour. index must lie in 0 .. count() - 1.
std::unique_ptr<TAnsiImage> DuplicateUnit(const TFilmPanel& strip, int index);
// A blank unit after the current one's fashion: the current unit's extent, byte mode and default
// colours; in an empty strip 80 x 25 cells in the strip's byte mode and default colours. Every cell
// is two spaces in the default colours.
std::unique_ptr<TAnsiImage> BlankUnit(const TFilmPanel& strip);

} // namespace quillet

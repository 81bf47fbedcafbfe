#pragma once

#include "ansicell.h"

#include <QByteArray>
#include <QString>

namespace quillet {

// Exchanges the lowest and the third byte (truncating division; the top part is not reduced).
std::int32_t SwapRedBlue(std::int32_t value);
// Six (or more) upper-case hexadecimal digits, red first. A system colour is first replaced by the
// colour it currently stands for.
QString ColorToHex(TColor color);
// The same digits as ColorToHex written to digits (room for 8), without a terminator; returns
// how many were written (6 to 8). The page writer's path: no allocation.
int FormatColorHex(TColor color, char* digits);
// The same digits appended to a byte string.
void AppendColorHex(QByteArray& out, TColor color);
// Hexadecimal digits only (either case, no sign, prefix or blanks, value within 32 bits), red
// first; anything else gives 0 (black), silently.
TColor HexToColor(const QString& text);
// The plain colour a system-colour identifier stands for now; a plain colour comes back as it is.
// Any negative value is an identifier whose low byte names the role (0xFF000000 + index and
// 0x80000000 + index are both in use): the current palette's colour for that role while a
// QGuiApplication exists, otherwise a fixed default; an unknown role is black.
TColor ResolveSystemColor(TColor color);

} // namespace quillet

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
// Hexadecimal digits only (either case, no sign, prefix or blanks, value within 32 bits), red
// first; anything else gives 0 (black), silently.
TColor HexToColor(const QString& text);
// The plain colour a system-colour identifier stands for now; a plain colour comes back as it is.
TColor ResolveSystemColor(TColor color);

} // namespace quillet

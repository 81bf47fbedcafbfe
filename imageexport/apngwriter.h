#pragma once

#include "animationwriter.h"

#include <cstdint>
#include <utility>

namespace quillet {

// Animated PNG, written chunk by chunk over zlib (libpng here knows no animation): 8-bit RGB
// frames. Every frame after the first stores only the rectangle that changed since the frame
// before, drawn over it (APNG_DISPOSE_OP_NONE, APNG_BLEND_OP_SOURCE). The frames are compressed
// on several threads at once. Looping forever writes num_plays 0, playing once num_plays 1.
class ApngWriter : public AnimationWriter {
public:
    QString formatName() const override { return QStringLiteral("APNG"); }
    QString fileExtension() const override { return QStringLiteral("png"); }
    QStringList write(const std::vector<AnimationFrame>& frames, const AnimationOptions& options, QIODevice& out,
                      const ExportControl& control) const override;
};

// A duration as an APNG frame holds it, delay_num / delay_den seconds: exact (ms / 1000 in lowest
// terms) while the numerator fits in 16 bits, otherwise the nearest whole second (at most 65535).
std::pair<std::uint16_t, std::uint16_t> ApngDelay(int durationMs);

} // namespace quillet

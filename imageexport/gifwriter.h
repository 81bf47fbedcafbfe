#pragma once

#include "animationwriter.h"

namespace quillet {

// Animated GIF (GIF89a) through giflib. When all the frames together show at most 256 colours
// they share one palette and show exactly; otherwise every frame has its own palette, exact where
// the frame's stored part shows at most 256 colours, reduced to 256 by libimagequant (without
// dithering) where it shows more, and a notice says so. Each frame after the first stores only the
// rectangle that changed since the frame before and leaves the rest in place (disposal "do not
// dispose"). Delays are hundredths of a second, the nearest to each duration (at most 655.35 s); a
// duration below 20 ms gets a notice, as browsers show such frames more slowly.
//
// Looping forever writes the NETSCAPE2.0 extension with the count 0. giflib stores that count as
// it is given; viewers read it as the number of repeats after the first showing, so a count of 1
// plays twice. Playing once therefore writes no loop extension at all: every viewer then shows the
// frames one time.
class GifWriter : public AnimationWriter {
public:
    QString formatName() const override { return QStringLiteral("GIF"); }
    QString fileExtension() const override { return QStringLiteral("gif"); }
    QStringList write(const std::vector<AnimationFrame>& frames, const AnimationOptions& options, QIODevice& out,
                      const ExportControl& control) const override;
};

} // namespace quillet

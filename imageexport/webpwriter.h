#pragma once

#include "animationwriter.h"

namespace quillet {

// Animated WebP, lossless, through libwebp's WebPAnimEncoder (which itself stores only what
// changed between frames). Durations are kept to the millisecond (at most 16777215 ms a frame).
// Looping forever writes the loop count 0, playing once the count 1. A single frame makes a still
// picture.
class WebpWriter : public AnimationWriter {
public:
    QString formatName() const override { return QStringLiteral("WebP"); }
    QString fileExtension() const override { return QStringLiteral("webp"); }
    QStringList write(const std::vector<AnimationFrame>& frames, const AnimationOptions& options, QIODevice& out,
                      const ExportControl& control) const override;
};

} // namespace quillet

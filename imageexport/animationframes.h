#pragma once

#include "animationwriter.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QRgb>

#include <vector>

class QIODevice;

namespace quillet {

class TFilmPanel;

// The indices of count units in the order the loop shows them: 0 to count - 1 for Forever and
// Once; for PingPong 0 to count - 1, then count - 2 down to 1 (the animation then starts over at 0).
std::vector<int> FrameOrder(int count, LoopMode loop);

// The text area of every unit of the strip, as the picture export writes it (a null picture for a
// unit whose text area is empty). Prepares the glyphs, so user-interface thread only; the pictures
// are drawn on ThreadCount(control) threads. Throws ExportCancelled when control is cancelled.
std::vector<QImage> DrawTextAreas(const TFilmPanel& strip, const ExportControl& control);

// The frames of an animation of units whose text areas are textAreas, shown durationsMs[i]
// milliseconds each, in the order loop shows them. Every frame is a canvas as wide as the widest
// text area and as high as the highest, filled with background, the unit's text area at its top
// left. A frame that shows the same picture as the one before it is joined to it: it shows once,
// for both durations. Empty when no unit has a text area. durationsMs holds one value per picture.
std::vector<AnimationFrame> ComposeFrames(const std::vector<QImage>& textAreas, const std::vector<int>& durationsMs,
                                          QRgb background, LoopMode loop);

// The smallest rectangle holding every pixel in which the two pictures (of one size and format)
// differ; empty when they are equal.
QRect ChangedRect(const QImage& before, const QImage& after);

// The part of each frame a format that draws every frame over the one before stores: the whole
// first frame, then what changed since the frame before (ChangedRect; its top left pixel when
// nothing did).
std::vector<QRect> StoredRects(const std::vector<AnimationFrame>& frames);

// The part rect of picture (Format_RGB32), each pixel made scale x scale pixels.
QImage ScaledRegion(const QImage& picture, const QRect& rect, int scale);

// Writes all of bytes to out. Throws AnimationError with the device's reason when it refuses them.
void WriteAll(QIODevice& out, const QByteArray& bytes);

// Throws AnimationError unless there are frames, all of one size that scale (1 to 4) keeps
// within maxSide pixels a side.
void CheckFrames(const std::vector<AnimationFrame>& frames, const AnimationOptions& options, int maxSide);

} // namespace quillet

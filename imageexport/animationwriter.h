#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <vector>

class QIODevice;

namespace quillet {

// How an animation repeats.
enum class LoopMode {
    Forever,  // the frames in order, again and again
    Once,     // the frames in order, one time
    PingPong, // forward, then back without showing either end twice, again and again
};

// What an animation is written with besides its frames and format.
struct AnimationOptions {
    int scale = 1; // every pixel of a frame becomes scale x scale pixels (1 to 4), nearest neighbour
    LoopMode loop = LoopMode::Forever;
};

// One frame of an animation: the picture at scale 1 (Format_RGB32, every frame of an animation
// the same size) and how long it shows, in milliseconds (a negative duration counts as 0).
struct AnimationFrame {
    QImage image;
    int durationMs = 0;
};

// Progress and cancellation of one export; every member may be left empty.
struct ExportControl {
    // Called on the exporting thread each time one more frame is written.
    std::function<void(int done, int total)> progress;
    // Set (from any thread) to stop the export: the writer stops at the next frame and throws
    // ExportCancelled.
    const std::atomic<bool>* cancel = nullptr;
    // Threads that may encode at once; 0 for one per processor. The bytes written do not depend on it.
    int threads = 0;

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    void report(int done, int total) const {
        if (progress) progress(done, total);
    }
};

// The export stopped because it was asked to; what was written so far is no animation.
class ExportCancelled : public std::runtime_error {
public:
    ExportCancelled() : std::runtime_error("the export was cancelled") {}
};

// An animation could not be written: the encoder refused the frames or the device the bytes.
// what() is the reason, in words for the user.
class AnimationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One animated picture format. A writer holds no state between writes: one may write several
// animations, and several threads may use one writer at once.
class AnimationWriter {
public:
    virtual ~AnimationWriter() = default;

    // The format's name as the user sees it ("GIF").
    virtual QString formatName() const = 0;
    // The file name extension, without the dot ("gif").
    virtual QString fileExtension() const = 0;

    // Writes the frames, shown in the order given each for its duration, to out as one animation,
    // each frame scaled by options.scale. It plays once when options.loop is LoopMode::Once and
    // again and again otherwise (the frames already stand in the order the loop shows them).
    // Returns notices for the user (what the format could not keep exactly); empty when none.
    // Throws AnimationError (frames empty, an encoder or out failed), ExportCancelled; out then
    // holds part of an animation.
    virtual QStringList write(const std::vector<AnimationFrame>& frames, const AnimationOptions& options,
                              QIODevice& out, const ExportControl& control) const = 0;
};

} // namespace quillet

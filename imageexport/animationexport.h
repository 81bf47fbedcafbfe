#pragma once

#include "animationwriter.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quillet {

// Writes the frames with writer to the file at path as SaveFile does: the file is replaced only
// once the whole animation is written. Returns the writer's notices. Throws FileError naming path
// when the file cannot be written or the writer fails, ExportCancelled when control was cancelled;
// either way no new file is left and a file that was there stays as it was.
QStringList SaveAnimation(const AnimationWriter& writer, const std::vector<AnimationFrame>& frames,
                          const AnimationOptions& options, const QString& path, const ExportControl& control);

} // namespace quillet

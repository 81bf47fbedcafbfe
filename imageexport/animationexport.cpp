#include "animationexport.h"

#include "fileerror.h"
#include "savefile.h"

namespace quillet {

QStringList SaveAnimation(const AnimationWriter& writer, const std::vector<AnimationFrame>& frames,
                          const AnimationOptions& options, const QString& path, const ExportControl& control) {
    SaveFile file(path);
    QStringList notices;
    try {
        notices = writer.write(frames, options, file.device(), control);
    } catch (const AnimationError& error) {
        throw FileError(path, QString::fromStdString(error.what()));
    }
    if (control.cancelled()) throw ExportCancelled();
    file.commit();
    return notices;
}

} // namespace quillet

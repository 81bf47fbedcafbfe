#pragma once

#include <QString>

namespace quillet {

// Whether anything is at path (a link counts by its target). False only when the system says
// there is nothing: no such entry, or a part of the path that is not a folder. Throws FileError
// with the system's reason when it cannot tell, for instance when a folder on the way may not
// be searched.
bool PathExists(const QString& path);

} // namespace quillet

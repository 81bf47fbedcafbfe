#include "pictures.h"

// Compiled-in resources of a static library are registered by name from the global namespace.
static bool registerPictures() {
    Q_INIT_RESOURCE(icons);
    return true;
}

namespace quillet {

QIcon EditorPicture(const QString& name) {
    static const bool registered = registerPictures();
    Q_UNUSED(registered);
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

QIcon ToolPicture(int index) {
    static const char* const files[] = {
        "open",        "save",    "addpage", "delete",        "up",  "down", "preview",
        "previewstop", "webpage", "options", "optionshidden", "new",
    };
    if (index < 0 || index >= static_cast<int>(std::size(files))) return QIcon();
    return EditorPicture(QLatin1String(files[index]));
}

} // namespace quillet

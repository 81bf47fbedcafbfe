#pragma once

#include <QString>

#include <memory>

class QTranslator;

namespace quillet {

// Qt's own texts (message box buttons, the file and colour dialogs) in the interface's language,
// which is English when `language` names it in any letter case and Chinese otherwise, as for the
// about window: Qt's Chinese translation is installed on the application unless English. It
// stays installed while the returned translator lives; nullptr when English, or when the
// translation is not installed on this system (Qt's English texts remain).
std::unique_ptr<QTranslator> InstallQtTranslation(const QString& language);

} // namespace quillet

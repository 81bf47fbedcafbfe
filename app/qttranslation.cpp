#include "qttranslation.h"

#include "fileerror.h"
#include "settings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <optional>

namespace quillet {

namespace {

// The language of the run's translations.
InterfaceLanguage& currentLanguage() {
    static InterfaceLanguage language = InterfaceLanguage::Chinese;
    return language;
}

// The translation is built from translations/quillet_en.ts and compiled into the program.
const QString kOwnEnglish = QStringLiteral(":/i18n/quillet_en.qm");

std::unique_ptr<QTranslator> installed(const QString& file, const QString& folder = QString()) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file, folder)) return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

} // namespace

InterfaceLanguage ChooseInterfaceLanguage(const QString& settingsPath, const QLocale& system) {
    std::optional<StoredSettings> stored;
    try {
        stored = LoadSettingsFile(settingsPath);
    } catch (const FileError&) {
        // The window reads the file again at start-up and reports why it cannot.
        return InterfaceLanguage::Chinese;
    }
    if (!stored) return system.language() == QLocale::Chinese ? InterfaceLanguage::Chinese : InterfaceLanguage::English;
    return stored->language.compare(QLatin1String("english"), Qt::CaseInsensitive) == 0 ? InterfaceLanguage::English
                                                                                        : InterfaceLanguage::Chinese;
}

std::unique_ptr<QTranslator> InstallTranslation(InterfaceLanguage language) {
    currentLanguage() = language;
    return language == InterfaceLanguage::English
               ? installed(kOwnEnglish)
               : installed(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

InterfaceLanguage CurrentInterfaceLanguage() {
    return currentLanguage();
}

QString DefaultLanguageName() {
    return currentLanguage() == InterfaceLanguage::English ? QStringLiteral("english") : QStringLiteral("chinese");
}

} // namespace quillet

#pragma once

#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

namespace quillet {

// The two languages of the interface. Chinese is the language the program's texts are written in.
enum class InterfaceLanguage { Chinese, English };

// The interface's language for the settings file at settingsPath: English when its display/language
// names it in any letter case, Chinese for any other name and when the file cannot be read. With no
// file there, the system's language decides: Chinese for a Chinese locale, English for any other.
InterfaceLanguage ChooseInterfaceLanguage(const QString& settingsPath, const QLocale& system = QLocale::system());

// Installs the translation of `language` on the application: in English the program's own English
// translation (Qt's texts are English already); in Chinese Qt's own Chinese translation (the
// program's texts are Chinese already). It stays installed while the returned translator lives;
// null when the translation is missing from the system. Also makes `language` the one
// CurrentInterfaceLanguage() reports.
std::unique_ptr<QTranslator> InstallTranslation(InterfaceLanguage language);

// The language last given to InstallTranslation; Chinese before any.
InterfaceLanguage CurrentInterfaceLanguage();

// The run's language name when the settings file names none: "english" in an English interface,
// "chinese" otherwise (the about window's table of that name follows it).
QString DefaultLanguageName();

} // namespace quillet

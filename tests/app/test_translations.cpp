// The English translation against the sources: lupdate scans them again into a temporary file, and
// every text it finds must be in translations/quillet_en.ts with a finished English translation
// that keeps the text's place markers; the committed file holds no text the sources lost. Also how
// the interface's language is chosen.
#include "qttranslation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace quillet {
namespace {

struct Message {
    QString translation;
    bool finished = false;
};

// Key: context, source and comment, as lupdate tells messages apart.
using Catalogue = QMap<QString, Message>;

QString keyOf(const QString& context, const QString& source, const QString& comment) {
    return context + QStringLiteral(" | ") + source + (comment.isEmpty() ? QString() : QStringLiteral(" | ") + comment);
}

Catalogue readCatalogue(const QString& path) {
    Catalogue messages;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    QString context, source, comment;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            source.clear();
            comment.clear();
        } else if (name == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (name == QLatin1String("comment")) {
            comment = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            message.finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            message.translation = xml.readElementText();
            messages.insert(keyOf(context, source, comment), message);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

QSet<QString> markersOf(const QString& text) {
    static const QRegularExpression marker(QStringLiteral("%\\d+"));
    QSet<QString> found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    return found;
}

// The sources' texts as lupdate finds them, scanned once for the whole run.
const Catalogue& scannedCatalogue() {
    static const Catalogue scanned = [] {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("scanned_en.ts"));
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(QUILLET_SOURCE_DIR));
        lupdate.start(QStringLiteral(QUILLET_LUPDATE),
                      {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                       QStringLiteral("-source-language"), QStringLiteral("zh_CN"), QStringLiteral("-target-language"),
                       QStringLiteral("en"), QStringLiteral("document"), QStringLiteral("app"), QStringLiteral("shell"),
                       QStringLiteral("editor"), QStringLiteral("-ts"), path});
        const bool ran = dir.isValid() && lupdate.waitForFinished(60000) && lupdate.exitCode() == 0;
        EXPECT_TRUE(ran) << lupdate.readAllStandardError().toStdString();
        return ran ? readCatalogue(path) : Catalogue();
    }();
    return scanned;
}

// The string literals of C++ source text that hold Chinese, their escapes undone; comments and
// character literals are skipped.
QStringList chineseLiterals(const QString& code) {
    static const QRegularExpression chinese(QStringLiteral("[\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    QStringList literals;
    qsizetype i = 0;
    const qsizetype n = code.size();
    while (i < n) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('/') && i + 1 < n && code.at(i + 1) == QLatin1Char('/')) {
            i = code.indexOf(QLatin1Char('\n'), i);
            if (i < 0) break;
        } else if (c == QLatin1Char('/') && i + 1 < n && code.at(i + 1) == QLatin1Char('*')) {
            i = code.indexOf(QStringLiteral("*/"), i + 2);
            if (i < 0) break;
            i += 2;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            QString text;
            ++i;
            while (i < n && code.at(i) != c) {
                if (code.at(i) == QLatin1Char('\\') && i + 1 < n) {
                    const QChar escaped = code.at(++i);
                    text += escaped == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : escaped;
                } else {
                    text += code.at(i);
                }
                ++i;
            }
            ++i;
            if (c == QLatin1Char('"') && text.contains(chinese)) literals << text;
        } else {
            ++i;
        }
    }
    return literals;
}

TEST(Translations, EveryChineseTextOfTheSourcesGoesThroughTheTranslation) {
    // Texts that are never translated: the batch mode's messages are the program's fixed output,
    // and the desktop entry carries its own Chinese fields.
    const QStringList untranslated{QStringLiteral("app/batchmode.cpp"), QStringLiteral("shell/filetype.cpp")};
    QSet<QString> sources;
    const Catalogue& found = scannedCatalogue();
    for (auto it = found.cbegin(); it != found.cend(); ++it)
        sources << it.key().section(QStringLiteral(" | "), 1, 1);
    ASSERT_FALSE(sources.isEmpty());
    const QDir root(QStringLiteral(QUILLET_SOURCE_DIR));
    int files = 0;
    for (const char* folder : {"document", "app", "shell", "editor"}) {
        QDirIterator it(root.filePath(QLatin1String(folder)), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (untranslated.contains(root.relativeFilePath(path))) continue;
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            ++files;
            for (const QString& literal : chineseLiterals(QString::fromUtf8(file.readAll())))
                EXPECT_TRUE(sources.contains(literal))
                    << root.relativeFilePath(path).toStdString() << ": \"" << literal.toStdString()
                    << "\" does not go through tr(), QCoreApplication::translate or QT_TRANSLATE_NOOP";
        }
    }
    EXPECT_GT(files, 50);
}

TEST(Translations, EveryTextOfTheSourcesHasItsEnglish) {
    const Catalogue& found = scannedCatalogue();
    const Catalogue committed = readCatalogue(QStringLiteral(QUILLET_SOURCE_DIR "/translations/quillet_en.ts"));
    ASSERT_FALSE(found.isEmpty());
    static const QRegularExpression chinese(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        const std::string key = it.key().toStdString();
        const auto entry = committed.constFind(it.key());
        if (entry == committed.cend()) {
            ADD_FAILURE() << "not in translations/quillet_en.ts (run the update_translations target): " << key;
            continue;
        }
        EXPECT_TRUE(entry->finished && !entry->translation.isEmpty()) << "no finished English: " << key;
        EXPECT_FALSE(entry->translation.contains(chinese)) << "Chinese left in the English: " << key;
        const QString source = it.key().section(QStringLiteral(" | "), 1, 1);
        EXPECT_EQ(markersOf(entry->translation), markersOf(source)) << "place markers differ: " << key;
    }
    for (auto it = committed.cbegin(); it != committed.cend(); ++it)
        EXPECT_TRUE(found.contains(it.key())) << "no longer in the sources: " << it.key().toStdString();
}

TEST(Translations, TheSettingsFileOrElseTheSystemChoosesTheLanguage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Tevrano.ini"));
    const auto withFile = [&path](const QByteArray& text) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        return file.write(text) == text.size();
    };
    using L = InterfaceLanguage;
    struct Case {
        const char* file; // nullptr: no settings file
        const char* locale;
        L expected;
    };
    const Case cases[] = {
        {"[display]\nlanguage=English\n", "zh_CN", L::English},
        {"[DISPLAY]\nLanguage=eNGLISH\n", "zh_CN", L::English},
        {"[display]\nlanguage=Chinese\n", "en_US", L::Chinese},
        {"[display]\nlanguage=Englisch\n", "en_US", L::Chinese},
        {"[display]\nlanguage=Deutsch\n", "de_DE", L::Chinese},
        {"[Html]\nspeed=100\n", "en_US", L::Chinese}, // no language: the stored default "Chinese"
        {nullptr, "zh_CN", L::Chinese},
        {nullptr, "zh_TW", L::Chinese},
        {nullptr, "en_US", L::English},
        {nullptr, "de_DE", L::English},
        {nullptr, "C", L::English},
    };
    for (const Case& c : cases) {
        QFile::remove(path);
        if (c.file) {
            ASSERT_TRUE(withFile(c.file));
        }
        EXPECT_EQ(ChooseInterfaceLanguage(path, QLocale(QLatin1String(c.locale))), c.expected)
            << (c.file ? c.file : "no file") << " in " << c.locale;
    }
    // A file that is there but cannot be read keeps the program's own language.
    QFile::remove(path);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Tevrano.ini")));
    EXPECT_EQ(ChooseInterfaceLanguage(path, QLocale(QLatin1String("en_US"))), L::Chinese);
}

} // namespace
} // namespace quillet

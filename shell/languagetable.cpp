#include "languagetable.h"

#include "inputfile.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>

namespace quillet {

namespace {

constexpr qsizetype MaxTextBytes = 253;
// Nine texts of at most 253 bytes make a table of a few KB.
constexpr qint64 MaxFileBytes = qint64{1024} * 1024;

QString cutToBytes(const QString& text) {
    // Counted character by character: the text is cut at the last whole character that still fits.
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const QChar unit = text.at(end);
        const bool pair = unit.isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
        const int width = pair ? 4 : unit.unicode() < 0x80 ? 1 : unit.unicode() < 0x800 ? 2 : 3;
        if (bytes + width > MaxTextBytes) break;
        bytes += width;
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

QMap<int, QString> parseTable(QByteArray bytes) {
    QMap<int, QString> table;
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0) continue;
        bool isNumber = false;
        const int number = line.left(equals).trimmed().toInt(&isNumber);
        if (isNumber) table.insert(number, cutToBytes(QString::fromUtf8(line.mid(equals + 1))));
    }
    return table;
}

} // namespace

QMap<int, QString> ReadLanguageTable(QIODevice& device) {
    return parseTable(device.readAll());
}

QMap<int, QString> ReadLanguageTableFile(const QString& path) {
    return parseTable(ReadInputFile(path, MaxFileBytes));
}

QString FindLanguageTable(const QString& programDir, const QString& language) {
    const QString folder = programDir + QStringLiteral("Language");
    const QString wanted = language + QStringLiteral("_about.ini");
    const QString exact = folder + QLatin1Char('/') + wanted;
    if (QFileInfo(exact).isFile()) return exact;
    const QStringList names = QDir(folder).entryList(QDir::Files);
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) return folder + QLatin1Char('/') + name;
    }
    return {};
}

} // namespace quillet

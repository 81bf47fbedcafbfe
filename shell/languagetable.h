#pragma once

#include <QMap>
#include <QString>

class QIODevice;

namespace quillet {

// The numbered texts of one language table: lines "N=text" in UTF-8. Lines of another form are
// skipped; a later line for the same number wins. A text keeps at most 253 bytes, cut at a
// character boundary.
QMap<int, QString> ReadLanguageTable(QIODevice& device);
// The table in the file at path. Throws FileError when it cannot be read, InputRefused when it is
// not a regular file or larger than 1 MB.
QMap<int, QString> ReadLanguageTableFile(const QString& path);

// The table of `language` for the about window: programDir + "Language/" + language + "_about.ini".
// The file name matches without regard to letter case, so the stored name "Chinese" finds
// chinese_about.ini. Empty when there is no such file.
QString FindLanguageTable(const QString& programDir, const QString& language);

} // namespace quillet

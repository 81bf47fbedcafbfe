#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace quillet {

// A sectioned settings file ("[section]" lines, then "key=value" lines) that is changed key by key:
// every line that is not rewritten keeps its bytes, its line ending (LF or CR LF) and its place, and
// a leading UTF-8 byte order mark stays. Section and key names are matched without regard to case
// and without the blanks around them; values are the text after the first '=', blanks trimmed.
// Lines starting with ';' or '#' are comments; lines that are neither a section, a key nor a
// comment are kept untouched and otherwise ignored. When a key occurs more than once in a section
// (or a section more than once in the file), the first occurrence wins, for reading and writing.
// Keys before the first section belong to the section named "". Any bytes load without failing.
class IniFile {
public:
    // An empty file.
    IniFile() = default;
    // The file whose contents are these bytes.
    explicit IniFile(const QByteArray& bytes);

    // The most a settings file may hold; the one shipped is under 1 KB.
    static constexpr qint64 kSizeLimit = qint64{4} * 1024 * 1024;

    // Reads the file at path. Throws FileError when it cannot be opened or read, InputRefused when
    // it is not a regular file or larger than kSizeLimit.
    static IniFile load(const QString& path);

    // The file's bytes: unchanged lines exactly as loaded.
    QByteArray toBytes() const;
    // Writes the bytes to path through a temporary file that replaces it only when complete.
    // Throws FileError on failure; the file at path is then left as it was.
    void save(const QString& path) const;

    // True when the section holds the key.
    bool contains(const QString& section, const QString& key) const;
    // The key's value (UTF-8 decoded), or defaultValue when the key is missing. A key that is
    // present with nothing after '=' gives an empty string, not the default.
    QString value(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    // The key's value as a 32-bit integer: optional blanks, an optional sign, then decimal digits,
    // or hexadecimal digits after "0x" or "$" (up to 8 of them, taken as the 32-bit pattern, so
    // "$FFFFFFFF" is -1). Missing key, other text or a number out of range gives nullopt.
    std::optional<std::int32_t> intValue(const QString& section, const QString& key) const;

    // Sets the key's value: replaces the value of its first occurrence in place (the text up to and
    // including '=' and the blanks after it are kept), or adds "key=value" after the last key of the
    // section, or adds the section and the key at the end of the file. Line breaks in the value are
    // written as blanks so the file keeps its lines. New lines take the file's line ending.
    void setValue(const QString& section, const QString& key, const QString& value);
    // setValue with the number in decimal.
    void setIntValue(const QString& section, const QString& key, std::int32_t value);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;   // the line without its ending
        QByteArray ending; // "\n", "\r\n", or empty for a last line without one
        Kind kind = Kind::Other;
        QString name;      // section name or key name, trimmed
        qsizetype valueStart = 0; // Key: offset of the value's first non-blank byte (or of its end)
        qsizetype valueEnd = 0;   // Key: offset just past the value's last non-blank byte
    };

    static Line parseLine(const QByteArray& text, const QByteArray& ending);
    // Index of the header line of the section's first block; -1 for the section "" (the lines before
    // the first header); nullopt when the file has no such section.
    std::optional<qsizetype> findSection(const QString& section) const;
    // Index of the key's first line in any block of the section, or nullopt.
    std::optional<qsizetype> findKey(const QString& section, const QString& key) const;
    QByteArray newLineEnding() const;
    void ensureLastLineEnded();

    QList<Line> m_lines;
    bool m_bom = false;
};

} // namespace quillet

#include "inifile.h"

#include "inputfile.h"
#include "savefile.h"

namespace quillet {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

qsizetype skipBlanks(const QByteArray& text, qsizetype from, qsizetype to) {
    while (from < to && isBlank(text.at(from)))
        ++from;
    return from;
}

qsizetype trimBlanksBack(const QByteArray& text, qsizetype from, qsizetype to) {
    while (to > from && isBlank(text.at(to - 1)))
        --to;
    return to;
}

QString trimmedName(const QByteArray& text, qsizetype from, qsizetype to) {
    from = skipBlanks(text, from, to);
    to = trimBlanksBack(text, from, to);
    return QString::fromUtf8(text.constData() + from, to - from);
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Sign, then decimal digits or "0x"/"$" and up to 8 hexadecimal digits (a 32-bit pattern).
std::optional<std::int32_t> parseInt(const QString& text) {
    const QString s = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s.at(i) == u'+' || s.at(i) == u'-')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    bool hex = false;
    if (s.mid(i, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        hex = true;
        i += 2;
    } else if (i < s.size() && s.at(i) == u'$') {
        hex = true;
        ++i;
    }
    if (i == s.size())
        return std::nullopt;
    const int base = hex ? 16 : 10;
    const std::int64_t limit = hex ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
    std::int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        const int digit = hexDigit(s.at(i));
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    if (hex) {
        if (negative && magnitude > 0x80000000LL)
            return std::nullopt;
        const auto pattern = static_cast<std::uint32_t>(negative ? -magnitude : magnitude);
        return static_cast<std::int32_t>(pattern);
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace

IniFile::IniFile(const QByteArray& bytes) {
    qsizetype pos = 0;
    if (bytes.startsWith(kBom)) {
        m_bom = true;
        pos = kBom.size();
    }
    while (pos < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', pos);
        if (newline < 0) {
            m_lines.append(parseLine(bytes.mid(pos), QByteArray()));
            break;
        }
        const bool crlf = newline > pos && bytes.at(newline - 1) == '\r';
        const qsizetype end = crlf ? newline - 1 : newline;
        m_lines.append(parseLine(bytes.mid(pos, end - pos), crlf ? QByteArray("\r\n") : QByteArray("\n")));
        pos = newline + 1;
    }
}

IniFile IniFile::load(const QString& path) {
    return IniFile(ReadInputFile(path, kSizeLimit));
}

QByteArray IniFile::toBytes() const {
    QByteArray bytes = m_bom ? kBom : QByteArray();
    for (const Line& line : m_lines)
        bytes += line.text + line.ending;
    return bytes;
}

void IniFile::save(const QString& path) const {
    SaveFile file(path);
    file.write(toBytes());
    file.commit();
}

IniFile::Line IniFile::parseLine(const QByteArray& text, const QByteArray& ending) {
    Line line;
    line.text = text;
    line.ending = ending;
    const qsizetype size = text.size();
    const qsizetype first = skipBlanks(text, 0, size);
    if (first == size || text.at(first) == ';' || text.at(first) == '#')
        return line;
    if (text.at(first) == '[') {
        const qsizetype close = text.indexOf(']', first + 1);
        if (close >= 0) {
            line.kind = Kind::Section;
            line.name = trimmedName(text, first + 1, close);
        }
        return line;
    }
    const qsizetype equals = text.indexOf('=', first);
    if (equals < 0)
        return line;
    const QString key = trimmedName(text, first, equals);
    if (key.isEmpty())
        return line;
    line.kind = Kind::Key;
    line.name = key;
    line.valueStart = skipBlanks(text, equals + 1, size);
    line.valueEnd = trimBlanksBack(text, line.valueStart, size);
    return line;
}

std::optional<qsizetype> IniFile::findSection(const QString& section) const {
    if (section.trimmed().isEmpty())
        return -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines.at(i).kind == Kind::Section && sameName(m_lines.at(i).name, section.trimmed()))
            return i;
    }
    return std::nullopt;
}

std::optional<qsizetype> IniFile::findKey(const QString& section, const QString& key) const {
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();
    bool inSection = wantedSection.isEmpty();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Kind::Section)
            inSection = sameName(line.name, wantedSection);
        else if (inSection && line.kind == Kind::Key && sameName(line.name, wantedKey))
            return i;
    }
    return std::nullopt;
}

bool IniFile::contains(const QString& section, const QString& key) const {
    return findKey(section, key).has_value();
}

QString IniFile::value(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto index = findKey(section, key);
    if (!index)
        return defaultValue;
    const Line& line = m_lines.at(*index);
    return QString::fromUtf8(line.text.constData() + line.valueStart, line.valueEnd - line.valueStart);
}

std::optional<std::int32_t> IniFile::intValue(const QString& section, const QString& key) const {
    if (!contains(section, key))
        return std::nullopt;
    return parseInt(value(section, key));
}

QByteArray IniFile::newLineEnding() const {
    for (const Line& line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return QByteArrayLiteral("\n");
}

void IniFile::ensureLastLineEnded() {
    if (!m_lines.isEmpty() && m_lines.last().ending.isEmpty())
        m_lines.last().ending = newLineEnding();
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
    const QByteArray bytes = oneLine.toUtf8();

    if (const auto index = findKey(section, key)) {
        Line& line = m_lines[*index];
        QByteArray text = line.text.left(line.valueStart) + bytes + line.text.mid(line.valueEnd);
        line = parseLine(text, line.ending);
        return;
    }

    const QByteArray ending = newLineEnding();
    const QByteArray keyLine = key.trimmed().toUtf8() + '=' + bytes;
    const auto header = findSection(section);
    if (!header) {
        ensureLastLineEnded();
        m_lines.append(parseLine('[' + section.trimmed().toUtf8() + ']', ending));
        m_lines.append(parseLine(keyLine, ending));
        return;
    }
    qsizetype insertAt = *header + 1;
    for (qsizetype i = insertAt; i < m_lines.size() && m_lines.at(i).kind != Kind::Section; ++i) {
        if (m_lines.at(i).kind == Kind::Key)
            insertAt = i + 1;
    }
    if (insertAt == m_lines.size())
        ensureLastLineEnded();
    m_lines.insert(insertAt, parseLine(keyLine, ending));
}

void IniFile::setIntValue(const QString& section, const QString& key, std::int32_t value) {
    setValue(section, key, QString::number(value));
}

} // namespace quillet

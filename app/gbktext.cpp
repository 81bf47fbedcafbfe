#include "gbktext.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quillet {

namespace {

constexpr auto kCodec = "GBK";

QString decode(const QByteArray& bytes) {
    QStringDecoder decoder(kCodec, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QByteArray encode(QStringView text) {
    QStringEncoder encoder(kCodec, QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

// One character at a time; a character is written only when its bytes decode to it again.
QByteArray encodeByCharacter(QStringView line, QStringList* unencodable) {
    QByteArray bytes;
    qsizetype i = 0;
    while (i < line.size()) {
        const bool pair = line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate();
        const QStringView character = line.mid(i, pair ? 2 : 1);
        const QByteArray encoded = encode(character);
        if (decode(encoded) == character) {
            bytes += encoded;
        } else {
            bytes += '?';
            if (unencodable && !unencodable->contains(character.toString()))
                unencodable->append(character.toString());
        }
        i += character.size();
    }
    return bytes;
}

} // namespace

QList<QByteArray> EncodeGbkLines(const QString& text, QStringList* unencodable) {
    QList<QByteArray> lines;
    if (text.isEmpty())
        return lines;
    for (QStringView line : QStringView(text).split(u'\n')) {
        QByteArray bytes = encode(line);
        if (decode(bytes) != line)
            bytes = encodeByCharacter(line, unencodable);
        lines.append(bytes);
    }
    return lines;
}

QString DecodeGbkLines(const QList<QByteArray>& lines) {
    // The '\n' after every line also ends a lead byte left open at a line's end, so that byte shows
    // as U+FFFD instead of vanishing; the last one is taken off again.
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + '\n';
    QString text = decode(bytes);
    text.chop(1);
    return text;
}

QByteArray EncodeGbkText(const QString& text, QStringList* unencodable) {
    return EncodeGbkLines(text, unencodable).join(' ');
}

QString DecodeGbkText(const QByteArray& bytes) { return DecodeGbkLines({bytes}); }

} // namespace quillet

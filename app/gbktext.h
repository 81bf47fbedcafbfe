#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillet {

// Lines of GBK bytes (code page 936) for an edit box's text: the text is cut at every '\n' and
// each line is kept exactly, without its '\n'; an empty text gives no line. A character that GBK
// cannot hold (or that would not come back from the bytes as itself) is written as one '?' byte,
// so the rest of the line keeps its order; when unencodable is given, each such character is
// appended to it once, in order of first appearance, for one message to the user.
QList<QByteArray> EncodeGbkLines(const QString& text, QStringList* unencodable);

// The lines as text for an edit box, joined with '\n'. Valid GBK comes back exactly as
// EncodeGbkLines takes it; a byte that does not decode (a lead byte without its second byte, for
// one) shows as U+FFFD, which has no GBK form: such a line does not survive a round trip.
QString DecodeGbkLines(const QList<QByteArray>& lines);

// One line of GBK bytes for a one-line field, by the same rules; line breaks become blanks.
QByteArray EncodeGbkText(const QString& text, QStringList* unencodable);
// One line of GBK bytes as text for a one-line field.
QString DecodeGbkText(const QByteArray& bytes);

} // namespace quillet

// The text import with its colour file. Input: one control byte (the unit's byte mode before the
// import), the text page, then optionally the separator below and the bytes of the colour file
// beside it (a list, or anything a picture reader takes). Without a colour file the result is
// checked against a plain reading of the line rules.
#include "fuzzsupport.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

using namespace quillet;
using namespace quillet::fuzz;

namespace {

constexpr char kSeparator[] = "\n=clo=\n";

// Lines end at CR LF, LF or a lone CR; a zero byte ends the text; a final line end adds no line.
QList<QByteArray> splitLines(const QByteArray& bytes, bool& highByte) {
    QList<QByteArray> lines;
    QByteArray line;
    bool open = false;
    highByte = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\0') break;
        if (c == '\r' || c == '\n') {
            lines.append(line);
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            continue;
        }
        highByte = highByte || static_cast<std::uint8_t>(c) > 0x80;
        line.append(c);
        open = true;
    }
    if (open) lines.append(line);
    return lines;
}

QByteArray trimmedRight(QByteArray line) {
    while (!line.isEmpty() && static_cast<std::uint8_t>(line.back()) <= 0x20)
        line.chop(1);
    return line;
}

// A single-byte unit without colours holds the first 80 lines, 200 bytes of each, and is as wide
// as the longest line of the whole page.
void checkPlainPage(const TAnsiImage& unit, const QList<QByteArray>& lines) {
    int longest = 0;
    for (const QByteArray& line : lines)
        longest = std::max(longest, static_cast<int>(line.size()));
    FUZZ_CHECK(unit.rows() == std::min<qsizetype>(kGridRows, lines.size()));
    FUZZ_CHECK(unit.cols() == std::min(kGridCols, longest));
    const QList<QByteArray> shown = unit.GetLines();
    FUZZ_CHECK(shown.size() == unit.rows());
    for (int r = 0; r < unit.rows(); ++r)
        FUZZ_CHECK(shown.at(r) == trimmedRight(lines.at(r).left(kGridCols)));
}

// After alignment every byte above 0x80 that opens a pair stands at an odd position (from 1).
void checkAligned(const QList<QByteArray>& lines) {
    QList<QByteArray> aligned = lines;
    TAnsiImage::AlignDoubleByte(aligned);
    for (const QByteArray& line : aligned) {
        bool inPair = false;
        for (qsizetype p = 0; p < line.size(); ++p) {
            if (static_cast<std::uint8_t>(line[p]) <= 0x80) continue;
            inPair = !inPair;
            if (inPair) FUZZ_CHECK(p % 2 == 0);
        }
    }
}

const QString& colourPath() {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("page.clo"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnsureGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const std::uint8_t mode = in.byte() % 3;
    const QByteArray input = in.rest();
    const qsizetype cut = input.indexOf(kSeparator);
    const QByteArray text = cut < 0 ? input : input.left(cut);

    QString colour;
    if (cut >= 0) {
        colour = colourPath();
        QFile file(colour);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(input.mid(cut + qsizetype(sizeof kSeparator) - 1));
    }

    TAnsiImage unit;
    PrepareUnit(unit, mode);
    QBuffer device;
    device.setData(text);
    device.open(QIODevice::ReadOnly);
    const ImportReport report = unit.LoadFromText(device, colour);

    CheckUnit(unit, QString());
    FUZZ_CHECK(unit.byteMode() != bmAuto);
    if (unit.IsDoubleByte()) FUZZ_CHECK(unit.cols() <= kGridCols / 2);
    FUZZ_CHECK(!(report.colorListFailed && unit.hasColor()));

    bool highByte = false;
    const QList<QByteArray> lines = splitLines(text, highByte);
    if (mode == bmAuto && colour.isEmpty()) FUZZ_CHECK(unit.byteMode() == (highByte ? bmDoubleByte : bmSingleByte));
    if (mode == bmSingleByte && colour.isEmpty()) checkPlainPage(unit, lines);
    checkAligned(lines);
    return 0;
}

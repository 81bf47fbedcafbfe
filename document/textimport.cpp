#include "ansiimage.h"
#include "fileerror.h"
#include "inputfile.h"
#include "rounding.h"

#include <QBuffer>
#include <QFileDevice>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <optional>

namespace quillet {

namespace {

constexpr qint64 kChunkSize = qint64{64} * 1024;

// The most a text page or its colour file may hold. The grid shows at most 80 lines of 400 bytes
// (32 KB), but the page is read whole because every byte counts for the byte mode and every line for
// the width; 16 MB is hundreds of grids, and reading it takes a few milliseconds. A colour list for
// the whole grid stays under 1 MB; a 24-bit bitmap of the picture limit below is 12 MB.
constexpr qint64 kPageFileLimit = qint64{16} * 1024 * 1024;
// Decoded pixels of a colour picture, in MB: four million pixels. The whole grid needs 400 x 160;
// a larger picture colours the grid only.
constexpr int kColorBitmapAllocationMB = 16;

QString deviceName(QIODevice& device) {
    if (auto* file = qobject_cast<QFileDevice*>(&device)) return file->fileName();
    return QString();
}

// Splits a stream into lines while keeping only what the grid can show.
class LineCollector {
public:
    explicit LineCollector(TextPage& page) : m_page(page) {}

    // Feeds bytes; false once nothing further can change the page.
    bool feed(const char* data, qint64 size) {
        if (full()) return scanRest(data, size);
        for (qint64 i = 0; i < size; ++i) {
            const auto b = static_cast<std::uint8_t>(data[i]);
            if (b == 0) {
                m_afterCr = false;
                return false;
            }
            if (b > 0x80) m_page.hasHighByte = true;
            if (b == '\n' || b == '\r') {
                if (b == '\r' || !m_afterCr) endLine();
                m_afterCr = b == '\r';
                if (full()) return scanRest(data + i + 1, size - i - 1);
            } else {
                m_afterCr = false;
                m_lineOpen = true;
                if (m_current.size() < TextPage::kKeptLineBytes) m_current.append(static_cast<char>(b));
            }
        }
        return true;
    }

    // A last line without a line end is still a line.
    void finish() {
        if (full())
            endRestLine();
        else if (m_lineOpen)
            endLine();
    }

private:
    bool full() const { return m_page.lines.size() >= TextPage::kKeptLines; }
    bool restSettled() const {
        return m_page.hasHighByte && m_page.restWidth >= TextPage::kKeptLineBytes &&
               m_page.restAlignedWidth >= TextPage::kKeptLineBytes;
    }

    // Past the kept lines only the high bytes and the widths still matter: a line's width as it
    // stands and as AlignDoubleByte would make it (a pair opening at an even position gains a space).
    // Once nothing can change any more, or the text ends at a zero byte, the rest need not be read.
    bool scanRest(const char* data, qint64 size) {
        constexpr int cap = TextPage::kKeptLineBytes;
        for (qint64 i = 0; i < size && !restSettled(); ++i) {
            const auto b = static_cast<std::uint8_t>(data[i]);
            if (b == 0) return false;
            if (b == '\n' || b == '\r') {
                if (b == '\r' || !m_afterCr) endRestLine();
                m_afterCr = b == '\r';
                continue;
            }
            m_afterCr = false;
            if (m_restLength < cap) ++m_restLength;
            if (m_restAligned >= cap) {
                m_page.hasHighByte = m_page.hasHighByte || b > 0x80;
                continue;
            }
            if (b <= 0x80) {
                ++m_restAligned;
                continue;
            }
            m_page.hasHighByte = true;
            m_restInPair = !m_restInPair;
            m_restAligned += (m_restInPair && m_restAligned % 2 == 1) ? 2 : 1;
        }
        return !restSettled();
    }

    void endRestLine() {
        m_page.restWidth = std::max(m_page.restWidth, m_restLength);
        m_page.restAlignedWidth = std::max(m_page.restAlignedWidth, std::min(m_restAligned, TextPage::kKeptLineBytes));
        m_restLength = 0;
        m_restAligned = 0;
        m_restInPair = false;
    }

    void endLine() {
        m_page.lines.append(m_current);
        m_current.clear();
        m_lineOpen = false;
    }

    TextPage& m_page;
    QByteArray m_current;
    bool m_lineOpen = false;
    bool m_afterCr = false;
    int m_restLength = 0;
    int m_restAligned = 0;
    bool m_restInPair = false;
};

// The lines of a colour list: LF ends a line, CR bytes are dropped, 0x1A ends the file; past the end
// every line is empty. Only the start of an overlong line is kept: no valid line needs more.
class ListLineReader {
public:
    static constexpr int kKeptBytes = 4096;

    explicit ListLineReader(QIODevice& device) : m_device(device) {}

    // The next line; nullopt on a read error.
    std::optional<QByteArray> next() {
        QByteArray line;
        bool overlong = false;
        while (!m_ended) {
            if (m_pos == m_buffer.size() && !refill()) return std::nullopt;
            if (m_ended) break;
            const char b = m_buffer.at(m_pos++);
            if (b == '\n') break;
            if (b == 0x1A) {
                m_ended = true;
                break;
            }
            if (b == '\r') continue;
            if (line.size() < kKeptBytes)
                line.append(b);
            else
                overlong = true;
        }
        if (overlong) line.append('\x01'); // keeps an overlong line from passing as a number or a marker
        return line;
    }

private:
    bool refill() {
        m_buffer.resize(kChunkSize);
        const qint64 got = m_device.read(m_buffer.data(), kChunkSize);
        if (got < 0) return false;
        m_buffer.resize(got);
        m_pos = 0;
        if (got == 0) m_ended = true;
        return true;
    }

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_ended = false;
};

std::optional<std::int32_t> parseInt(const std::optional<QByteArray>& line) {
    if (!line) return std::nullopt;
    bool ok = false;
    const int value = line->trimmed().toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

TColor rgbToColor(const uchar* pixel) {
    return static_cast<TColor>(pixel[0]) | static_cast<TColor>(pixel[1]) << 8 | static_cast<TColor>(pixel[2]) << 16;
}

// The bytes of the colour file. One that cannot be opened or read is a bad colour list; one that
// is refused (a FIFO, a device, a folder, an oversized file) fails the import as a bad text file does.
std::optional<QByteArray> readColorFile(const QString& path, ImportReport* report) {
    try {
        return ReadInputFile(path, kPageFileLimit);
    } catch (const InputRefused&) {
        throw;
    } catch (const FileError& e) {
        if (report) {
            report->colorListFailed = true;
            report->colorListError = e.description();
        }
        return std::nullopt;
    }
}

} // namespace

ImportReport TAnsiImage::importPage(TextPage& page, const QString& colourPath) {
    ImportReport report;
    // The colour file is read before anything changes: one that is refused throws and leaves the unit
    // as it was.
    std::optional<QByteArray> colours;
    if (!colourPath.isEmpty() && QFileInfo::exists(colourPath)) colours = readColorFile(colourPath, &report);
    ++m_revision;
    const bool aligning = FByteMode == bmAuto;
    if (aligning) {
        const bool aligned = AlignDoubleByte(page.lines);
        FByteMode = (aligned || page.hasHighByte) ? bmDoubleByte : bmSingleByte;
    }
    // The lines past the grid are not placed, but the unit is as wide as the widest line of the page:
    // a blank stand-in after the 80th line carries their width.
    const int restWidth = aligning ? page.restAlignedWidth : page.restWidth;
    if (restWidth > 0) page.lines.append(QByteArray(restWidth, ' '));
    FHasColor = colours ? loadColorBytes(*colours, &report) : false;
    SetLines(page.lines);
    return report;
}

TextPage ReadTextPage(QIODevice& device, const QString& pathForErrors) {
    if (!device.isReadable()) throw FileError(pathForErrors, device.errorString());
    TextPage page;
    LineCollector collector(page);
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = device.read(chunk.data(), kChunkSize);
        if (got < 0) throw FileError(pathForErrors, device.errorString());
        if (got == 0) break;
        if (!collector.feed(chunk.constData(), got)) break;
    }
    collector.finish();
    return page;
}

ImportReport TAnsiImage::LoadFromTextFile(const QString& path) {
    InputFile file(path, kPageFileLimit);
    TextPage page = ReadTextPage(file, path);
    const ImportReport report = importPage(page, ColorFilePath(path));
    FFileName = path;
    return report;
}

ImportReport TAnsiImage::LoadFromText(QIODevice& text, const QString& colourPath) {
    TextPage page = ReadTextPage(text, deviceName(text));
    return importPage(page, colourPath);
}

bool TAnsiImage::AlignDoubleByte(QList<QByteArray>& lines) {
    bool found = false;
    for (QByteArray& line : lines) {
        bool inPair = false;
        // p counts from 1, as the rule about odd positions does.
        for (qsizetype p = 1; p <= line.size(); ++p) {
            if (static_cast<std::uint8_t>(line.at(p - 1)) <= 0x80) continue;
            found = true;
            inPair = !inPair;
            if (inPair && p % 2 == 0) {
                line.insert(p - 1, ' ');
                inPair = false;
            }
        }
    }
    return found;
}

bool TAnsiImage::LoadColorFile(const QString& path, ImportReport* report) {
    const std::optional<QByteArray> bytes = readColorFile(path, report);
    return bytes && loadColorBytes(*bytes, report);
}

bool TAnsiImage::loadColorBytes(const QByteArray& bytes, ImportReport* report) {
    QBuffer pictureBytes;
    pictureBytes.setData(bytes);
    pictureBytes.open(QIODevice::ReadOnly);
    const QImage picture = ReadColorBitmap(pictureBytes);
    if (!picture.isNull()) return LoadColorBitmap(picture);
    QBuffer listBytes;
    listBytes.setData(bytes);
    listBytes.open(QIODevice::ReadOnly);
    return LoadColorList(listBytes, report);
}

bool TAnsiImage::LoadColorBitmap(const QImage& picture) {
    if (picture.isNull()) return false;
    ++m_revision;
    const int w = picture.width();
    const int h = picture.height();
    const int half = static_cast<int>(divRoundHalfEven(h, 2));
    const int n = IsDoubleByte() ? static_cast<int>(divRoundHalfEven(w, 2)) : w;
    // Only cells inside the grid are coloured, so only the pixels that reach them are converted.
    const int rows = std::min(half, kGridRows);
    const int cols = std::min(n, kGridCols);
    const int pixelCols = IsDoubleByte() ? std::min(w, 2 * cols) : cols;
    const int bottomRows = std::max(0, std::min(rows, h - half));
    QImage top;
    QImage bottom;
    if (pixelCols > 0) {
        top = picture.copy(0, 0, pixelCols, rows).convertToFormat(QImage::Format_RGB888);
        if (bottomRows > 0)
            bottom = picture.copy(0, half, pixelCols, bottomRows).convertToFormat(QImage::Format_RGB888);
        if ((rows > 0 && top.isNull()) || (bottomRows > 0 && bottom.isNull())) return false;
    }

    const std::ptrdiff_t pixelStep = IsDoubleByte() ? 6 : 3; // bytes from one cell's pixel to the next
    for (int i = 0; i < rows; ++i) {
        if (i >= bottomRows) return false; // pixel row i + half lies below the picture
        if (pixelCols == 0) continue;
        const uchar* fore = top.constScanLine(i);
        const uchar* back = bottom.constScanLine(i);
        for (int j = 0; j < cols; ++j) {
            TAnsiCell& c = mutableCell(i, j);
            c.FontColor = rgbToColor(fore + pixelStep * j);
            c.BackColor = rgbToColor(back + pixelStep * j);
        }
    }
    FRows = rows;
    FCols = cols;
    return true;
}

bool TAnsiImage::LoadColorList(const QString& path, ImportReport* report) {
    std::optional<QByteArray> bytes = readColorFile(path, report);
    if (!bytes) return false;
    QBuffer list(&*bytes);
    list.open(QIODevice::ReadOnly);
    return LoadColorList(list, report);
}

bool TAnsiImage::LoadColorList(QIODevice& list, ImportReport* report) {
    const auto fail = [report] {
        if (report) report->colorListFailed = true;
        return false;
    };
    ++m_revision;
    ListLineReader reader(list);
    const std::optional<std::int32_t> rowCount = parseInt(reader.next());
    if (!rowCount) return fail();
    const std::optional<std::int32_t> cellCount = parseInt(reader.next());
    if (!cellCount) return fail();
    const std::optional<QByteArray> modeLine = reader.next();
    if (!modeLine || modeLine->size() < 2 || modeLine->at(1) < '0' || modeLine->at(1) > '9') return fail();
    if (modeLine->at(1) == '2') FByteMode = bmDoubleByte;

    // A negative count means no entries, and no negative extent.
    const int rows = std::max(0, std::min(kGridRows, *rowCount));
    const int cells = std::max(0, std::min(kGridCols, *cellCount));
    for (int r = 0; r < rows; ++r) {
        for (int j = 0; j < cells; ++j) {
            const std::optional<QByteArray> marker = reader.next();
            if (!marker) return fail();
            TAnsiCell& c = mutableCell(r, j);
            if (*marker == "*1" || *marker == "*2") {
                const std::optional<std::int32_t> value = parseInt(reader.next());
                if (!value) return fail();
                const bool isFont = *marker == "*1";
                c.FontColor = isFont ? *value : FFontColor;
                c.BackColor = isFont ? FBackColor : *value;
            } else if (*marker == "*3") {
                const std::optional<std::int32_t> font = parseInt(reader.next());
                if (!font) return fail();
                const std::optional<std::int32_t> back = parseInt(reader.next());
                if (!back) return fail();
                c.FontColor = *font;
                c.BackColor = *back;
            }
        }
    }
    FCols = IsDoubleByte() ? static_cast<std::int32_t>(divRoundHalfEven(cells, 2)) : cells;
    FRows = rows;
    return true;
}

QImage ReadColorBitmap(QIODevice& device) {
    // The format is fixed and never guessed: no other picture reader (a vector picture may load
    // further files, itself included) ever sees the bytes of a colour file.
    QImageReader reader(&device, QByteArrayLiteral("bmp"));
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(kColorBitmapAllocationMB);
    return reader.read();
}

QString ColorFilePath(const QString& textPath) {
    return textPath.left(std::max<qsizetype>(0, textPath.size() - 3)) + QStringLiteral("clo");
}

} // namespace quillet

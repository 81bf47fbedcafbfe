#include "ansiimage.h"

#include "rounding.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace quillet {

namespace {

constexpr std::uint8_t kSpace = 0x20;

// The cell's two character bytes cut at the first zero byte.
QByteArray pairText(const TAnsiCell& c) {
    if (c.Chars[0] == 0) return QByteArray();
    if (c.Chars[1] == 0) return QByteArray(1, static_cast<char>(c.Chars[0]));
    return QByteArray(reinterpret_cast<const char*>(c.Chars), 2);
}

// A cell's text counts as used when, cut at the first zero byte and stripped of bytes <= 0x20
// at both ends, something is left.
bool holdsText(const TAnsiCell& c) {
    if (c.Chars[0] == 0) return false;
    if (c.Chars[0] > kSpace) return true;
    return c.Chars[1] > kSpace;
}

void chopTrailingBlanks(QByteArray& line) {
    qsizetype n = line.size();
    while (n > 0 && static_cast<std::uint8_t>(line.at(n - 1)) <= kSpace)
        --n;
    line.truncate(n);
}

} // namespace

namespace {
std::atomic<std::uint64_t> nextUnitId{1};
} // namespace

TAnsiImage::TAnsiImage() : m_id(nextUnitId.fetch_add(1, std::memory_order_relaxed)) {}

void TAnsiImage::setByteMode(std::uint8_t mode) {
    FByteMode = mode;
    ++m_revision;
}

void TAnsiImage::setPageColor(TColor color) {
    FPageColor = color;
    ++m_revision;
}

void TAnsiImage::setSelected(bool selected) {
    FSelected = selected;
    ++m_revision;
}

void TAnsiImage::setExtent(std::int32_t cols, std::int32_t rows) {
    FCols = cols;
    FRows = rows;
    ++m_revision;
}

void TAnsiImage::setSize(int width, int height) {
    Width = width;
    Height = height;
    ++m_revision;
}

void TAnsiImage::setDuration(std::int32_t milliseconds) {
    if (IsUnitDuration(milliseconds)) m_duration = milliseconds;
}

UnitContent TAnsiImage::content() const {
    UnitContent c;
    c.grid = QByteArray(reinterpret_cast<const char*>(FGrid.data()), kRecordSize);
    c.fileName = FFileName;
    c.cols = FCols;
    c.rows = FRows;
    c.backColor = FBackColor;
    c.fontColor = FFontColor;
    c.byteMode = FByteMode;
    c.hasColor = FHasColor;
    c.width = Width;
    c.height = Height;
    c.duration = m_duration;
    return c;
}

void TAnsiImage::setContent(const UnitContent& c) {
    Q_ASSERT(c.grid.size() == kRecordSize);
    ++m_revision;
    std::memcpy(FGrid.data(), c.grid.constData(), kRecordSize);
    FFileName = c.fileName;
    FCols = c.cols;
    FRows = c.rows;
    FBackColor = c.backColor;
    FFontColor = c.fontColor;
    FByteMode = c.byteMode;
    FHasColor = c.hasColor;
    Width = c.width;
    Height = c.height;
    setDuration(c.duration);
}

void TAnsiImage::writeCells(const std::vector<CellWrite>& cells) {
    ++m_revision;
    for (const CellWrite& write : cells)
        if (write.index >= 0 && write.index < kGridCells) FGrid[static_cast<std::size_t>(write.index)] = write.cell;
}

void TAnsiImage::setPlace(int left, int top, int tag) {
    Left = left;
    Top = top;
    Tag = tag;
}

void TAnsiImage::Clear() {
    ++m_revision;
    for (TAnsiCell& c : FGrid) {
        c.Chars[0] = kSpace;
        c.Chars[1] = kSpace;
        c.FontColor = FFontColor;
        c.BackColor = FBackColor;
    }
}

void TAnsiImage::SetBackColor(TColor value) {
    ReplaceBackColor(FBackColor, value);
    FBackColor = value;
}

void TAnsiImage::SetFontColor(TColor value) {
    ReplaceFontColor(FFontColor, value);
    FFontColor = value;
}

void TAnsiImage::ReplaceBackColor(TColor oldColor, TColor newColor) {
    ++m_revision;
    for (int r = 0; r < FRows; ++r)
        for (int j = 0; j < FCols; ++j) {
            TAnsiCell& c = mutableCell(r, j);
            if (c.BackColor == oldColor) c.BackColor = newColor;
        }
}

void TAnsiImage::ReplaceFontColor(TColor oldColor, TColor newColor) {
    ++m_revision;
    for (int r = 0; r < FRows; ++r)
        for (int j = 0; j < FCols; ++j) {
            TAnsiCell& c = mutableCell(r, j);
            if (c.FontColor == oldColor) c.FontColor = newColor;
        }
}

void TAnsiImage::BlankText() {
    ++m_revision;
    for (int r = 0; r < FRows; ++r)
        for (int j = 0; j < FCols; ++j) {
            TAnsiCell& c = mutableCell(r, j);
            c.Chars[0] = kSpace;
            c.Chars[1] = kSpace;
        }
}

int TAnsiImage::MaxLineLength(const QList<QByteArray>& lines) {
    qsizetype longest = 0;
    for (const QByteArray& line : lines)
        longest = std::max(longest, line.size());
    return static_cast<int>(std::min<qsizetype>(longest, INT32_MAX));
}

void TAnsiImage::SetLines(const QList<QByteArray>& lines) {
    ++m_revision;
    const qsizetype n = lines.size();
    FRows = static_cast<std::int32_t>(std::min<qsizetype>(kGridRows, std::max<qsizetype>(n, FRows)));
    const int longest = MaxLineLength(lines);
    if (IsDoubleByte())
        FCols = std::min(kGridCols / 2, std::max(FCols, roundHalfEven(longest / 2.0 + 0.4)));
    else
        FCols = std::min(kGridCols, std::max(longest, FCols));
    FitSize();
    BlankText();

    const int placedLines = static_cast<int>(std::min<qsizetype>(n, FRows));
    for (int s = 0; s < placedLines; ++s) {
        const QByteArray& line = lines.at(s);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.constData());
        const qsizetype len = line.size();
        if (IsDoubleByte()) {
            for (qsizetype j = 0; j < kGridCols && 2 * j < len; ++j) {
                TAnsiCell& c = mutableCell(s, static_cast<int>(j));
                c.Chars[0] = bytes[2 * j];
                c.Chars[1] = 2 * j + 1 < len ? bytes[2 * j + 1] : 0;
            }
        } else {
            for (qsizetype j = 0; j < kGridCols && j < len; ++j)
                mutableCell(s, static_cast<int>(j)).Chars[1] = bytes[j];
        }
    }
}

QList<QByteArray> TAnsiImage::GetLines() const {
    QList<QByteArray> lines;
    lines.reserve(FRows);
    for (int r = 0; r < FRows; ++r) {
        QByteArray line;
        line.reserve(2 * static_cast<qsizetype>(FCols));
        for (int j = 0; j < FCols; ++j)
            line += CellText(r, j);
        chopTrailingBlanks(line);
        lines.append(line);
    }
    return lines;
}

QByteArray TAnsiImage::CellText(int row, int col) const {
    const TAnsiCell& c = cell(row, col);
    if (IsDoubleByte()) return pairText(c);
    return QByteArray(1, static_cast<char>(c.Chars[1]));
}

TCellInfo TAnsiImage::GetCell(int row, int col) const {
    const TAnsiCell& c = cell(row, col);
    TCellInfo info;
    info.CharWord = static_cast<std::uint32_t>(c.Chars[0]) | static_cast<std::uint32_t>(c.Chars[1]) << 8 |
                    static_cast<std::uint32_t>(c.Reserved[0]) << 16 | static_cast<std::uint32_t>(c.Reserved[1]) << 24;
    info.FontColor = c.FontColor;
    info.BackColor = c.BackColor;
    return info;
}

QByteArray TAnsiImage::SaveToRecord() const {
    QByteArray record(reinterpret_cast<const char*>(FGrid.data()), kRecordSize);
    if (FRows < kGridRows || FCols < kGridCols) {
        // The record has no field for the default colours: the last cell carries them.
        TAnsiCell last;
        std::memcpy(&last, record.constData() + kRecordSize - sizeof(TAnsiCell), sizeof(TAnsiCell));
        last.FontColor = FFontColor;
        last.BackColor = FBackColor;
        std::memcpy(record.data() + kRecordSize - sizeof(TAnsiCell), &last, sizeof(TAnsiCell));
    }
    return record;
}

void TAnsiImage::LoadFromRecord(const char* record) {
    ++m_revision;
    std::memcpy(FGrid.data(), record, kRecordSize);
    const TAnsiCell& last = FGrid.back();
    SetFontColor(last.FontColor);
    SetBackColor(last.BackColor);

    FCols = 8;
    FRows = 2;
    for (int r = kGridRows - 1; r >= 0; --r) {
        for (int j = kGridCols - 1; j >= 0; --j) {
            const TAnsiCell& c = mutableCell(r, j);
            if (holdsText(c) || c.FontColor != FFontColor || c.BackColor != FBackColor) {
                FCols = std::max(FCols, j + 1);
                FRows = std::max(FRows, r + 1);
                break;
            }
        }
    }

    if (FByteMode == bmAuto) {
        FByteMode = bmSingleByte;
        for (int r = 0; r < FRows && FByteMode == bmSingleByte; ++r)
            for (int j = 0; j < FCols; ++j)
                if (cell(r, j).Chars[0] != kSpace) {
                    FByteMode = bmDoubleByte;
                    break;
                }
    }
    FitSize();
}

void TAnsiImage::FitSize() {
    ++m_revision;
    Height = FRows * FCellSize + 23;
    if (IsDoubleByte())
        Width = FCols * FCellSize + 44;
    else
        Width = static_cast<int>(divRoundHalfEven(static_cast<std::int64_t>(FCols) * FCellSize, 2)) + 44;
}

} // namespace quillet

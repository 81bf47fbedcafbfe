#include "cellclipboard.h"

#include "payloadbytes.h"

#include <QtEndian>

#include <cstring>

namespace quillet {

namespace {

constexpr char kMagic[] = "QLTCELLS";
constexpr qsizetype kMagicSize = 8;
constexpr std::uint32_t kVersion = 1;
constexpr qsizetype kHeaderSize = kMagicSize + 4 + 4 + 4 + 4; // magic, version, mode, width, height
constexpr qsizetype kCrcSize = 4;

std::uint32_t u32At(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

} // namespace

QByteArray EncodeCells(const CellBlock& block) {
    QByteArray out;
    out.reserve(kHeaderSize + static_cast<qsizetype>(block.cells.size() * sizeof(TAnsiCell)) + kCrcSize);
    out.append(kMagic, kMagicSize);
    AppendU32(out, kVersion);
    AppendU32(out, block.doubleByte ? bmDoubleByte : bmSingleByte);
    AppendU32(out, static_cast<std::uint32_t>(block.cols));
    AppendU32(out, static_cast<std::uint32_t>(block.rows));
    out.append(reinterpret_cast<const char*>(block.cells.data()),
               static_cast<qsizetype>(block.cells.size() * sizeof(TAnsiCell)));
    AppendU32(out, Crc32Of(out.constData(), out.size()));
    return out;
}

std::optional<CellBlock> DecodeCells(const QByteArray& bytes) {
    if (bytes.size() < kHeaderSize + kCrcSize || std::memcmp(bytes.constData(), kMagic, kMagicSize) != 0)
        return std::nullopt;
    const std::uint32_t mode = u32At(bytes, kMagicSize + 4);
    const std::uint32_t cols = u32At(bytes, kMagicSize + 8);
    const std::uint32_t rows = u32At(bytes, kMagicSize + 12);
    if (u32At(bytes, kMagicSize) != kVersion || (mode != bmDoubleByte && mode != bmSingleByte) || cols < 1 ||
        cols > kGridCols || rows < 1 || rows > kGridRows)
        return std::nullopt;
    const qsizetype cellBytes = static_cast<qsizetype>(cols * rows * sizeof(TAnsiCell));
    if (bytes.size() != kHeaderSize + cellBytes + kCrcSize) return std::nullopt;
    if (u32At(bytes, kHeaderSize + cellBytes) != Crc32Of(bytes.constData(), kHeaderSize + cellBytes))
        return std::nullopt;
    CellBlock block;
    block.cols = static_cast<int>(cols);
    block.rows = static_cast<int>(rows);
    block.doubleByte = mode == bmDoubleByte;
    block.cells.resize(static_cast<std::size_t>(cols * rows));
    std::memcpy(block.cells.data(), bytes.constData() + kHeaderSize, static_cast<std::size_t>(cellBytes));
    return block;
}

} // namespace quillet

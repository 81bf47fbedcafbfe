#include "cellclipboard.h"

#include <QtEndian>

#include <zlib.h>

#include <cstring>

namespace quillet {

namespace {

constexpr char kMagic[] = "QLTCELLS";
constexpr qsizetype kMagicSize = 8;
constexpr std::uint32_t kVersion = 1;
constexpr qsizetype kHeaderSize = kMagicSize + 4 + 4 + 4 + 4; // magic, version, mode, width, height
constexpr qsizetype kCrcSize = 4;

std::uint32_t crcOf(const char* data, qsizetype size) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

void putU32(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

std::uint32_t u32At(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

} // namespace

QByteArray EncodeCells(const CellBlock& block) {
    QByteArray out;
    out.reserve(kHeaderSize + static_cast<qsizetype>(block.cells.size() * sizeof(TAnsiCell)) + kCrcSize);
    out.append(kMagic, kMagicSize);
    putU32(out, kVersion);
    putU32(out, block.doubleByte ? bmDoubleByte : bmSingleByte);
    putU32(out, static_cast<std::uint32_t>(block.cols));
    putU32(out, static_cast<std::uint32_t>(block.rows));
    out.append(reinterpret_cast<const char*>(block.cells.data()),
               static_cast<qsizetype>(block.cells.size() * sizeof(TAnsiCell)));
    putU32(out, crcOf(out.constData(), out.size()));
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
    if (u32At(bytes, kHeaderSize + cellBytes) != crcOf(bytes.constData(), kHeaderSize + cellBytes))
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

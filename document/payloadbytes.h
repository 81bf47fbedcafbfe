#pragma once

#include <QByteArray>
#include <QtEndian>

#include <zlib.h>

#include <cstdint>

namespace quillet {

// Helpers for Quillet's own little-endian payloads (clipboard data, file trailers): each ends with
// the CRC-32 of everything before it.

inline std::uint32_t Crc32Of(const char* data, qsizetype size) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

inline void AppendU32(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace quillet

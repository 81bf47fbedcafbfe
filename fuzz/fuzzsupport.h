#pragma once

#include "ansiimage.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quillet::fuzz {

// Ends the run with the broken property; libFuzzer then keeps the input as a crash file.
[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) ::quillet::fuzz::Fail(__FILE__, __LINE__, #condition);                                       \
    } while (0)

// One QGuiApplication on the offscreen platform for the whole run: fonts and drawing need it.
void EnsureGuiApplication();

// Takes the fuzzer's bytes from the front; past the end every value reads as 0.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::size_t remaining() const { return m_size - m_pos; }
    std::uint8_t byte();
    std::uint16_t u16();
    std::int32_t i32();
    // The bytes not yet taken.
    QByteArray rest();

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// A record of blank cells (two spaces, text kBlankFont on kBlankBack) with cells patched in from
// the reader: every 16 bytes are a row (2 bytes), a column (2 bytes) and the 12 bytes of the cell.
constexpr TColor kBlankFont = 0x000000;
constexpr TColor kBlankBack = 0xFFFFFF;
QByteArray PatchedRecord(ByteReader& reader);

// A unit as the film strip prepares it: default colours, page colour and byte mode set, then cleared.
void PrepareUnit(TAnsiImage& unit, std::uint8_t byteMode);

// What holds for every unit, however it was filled: extent within the grid, the picture size
// that FitSize gives, the fields behind the grid untouched (a write past the grid lands there).
void CheckUnit(const TAnsiImage& unit, const QString& fileName);

} // namespace quillet::fuzz

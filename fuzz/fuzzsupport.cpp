#include "fuzzsupport.h"

#include <QGuiApplication>

namespace quillet::fuzz {

void EnsureGuiApplication() {
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

std::uint8_t ByteReader::byte() {
    return m_pos < m_size ? m_data[m_pos++] : 0;
}

std::uint16_t ByteReader::u16() {
    const std::uint16_t low = byte();
    return static_cast<std::uint16_t>(low | (byte() << 8));
}

std::int32_t ByteReader::i32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(byte()) << (8 * i);
    return static_cast<std::int32_t>(value);
}

QByteArray ByteReader::rest() {
    QByteArray bytes(reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(m_size - m_pos));
    m_pos = m_size;
    return bytes;
}

QByteArray PatchedRecord(ByteReader& reader) {
    TAnsiGrid grid;
    for (TAnsiCell& cell : grid)
        cell = TAnsiCell{{0x20, 0x20}, {0, 0}, kBlankFont, kBlankBack};
    while (reader.remaining() >= 16) {
        const int row = reader.u16() % kGridRows;
        const int col = reader.u16() % kGridCols;
        TAnsiCell& cell = grid[static_cast<std::size_t>(row * kGridCols + col)];
        cell.Chars[0] = reader.byte();
        cell.Chars[1] = reader.byte();
        cell.Reserved[0] = reader.byte();
        cell.Reserved[1] = reader.byte();
        cell.FontColor = reader.i32();
        cell.BackColor = reader.i32();
    }
    return QByteArray(reinterpret_cast<const char*>(grid.data()), kRecordSize);
}

void PrepareUnit(TAnsiImage& unit, std::uint8_t byteMode) {
    unit.SetBackColor(0xFFFFFF);
    unit.SetFontColor(0x008000);
    unit.setPageColor(0x123456);
    unit.setByteMode(byteMode);
    unit.Clear();
}

void CheckUnit(const TAnsiImage& unit, const QString& fileName) {
    FUZZ_CHECK(unit.rows() >= 0 && unit.rows() <= kGridRows);
    FUZZ_CHECK(unit.cols() >= 0 && unit.cols() <= kGridCols);
    FUZZ_CHECK(unit.byteMode() <= bmSingleByte);
    FUZZ_CHECK(unit.cellSize() == 12);
    FUZZ_CHECK(unit.fileName() == fileName);
    FUZZ_CHECK(unit.height() == unit.rows() * 12 + 23);
    FUZZ_CHECK(unit.width() == (unit.IsDoubleByte() ? unit.cols() * 12 : unit.cols() * 6) + 44);
}

} // namespace quillet::fuzz

#include "celledits.h"

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

constexpr std::uint8_t kSpace = ' ';

int gridIndex(int row, int col) {
    return row * kGridCols + col;
}

} // namespace

PendingCells::PendingCells(const TAnsiImage& unit)
    : m_unit(unit), m_double(unit.IsDoubleByte()), m_cols(unit.cols()), m_rows(unit.rows()) {}

const TAnsiCell& PendingCells::cell(int row, int col) const {
    const auto it = m_cells.find(gridIndex(row, col));
    return it != m_cells.end() ? it->second : m_unit.cell(row, col);
}

void PendingCells::set(int row, int col, const TAnsiCell& cell) {
    m_cells[gridIndex(row, col)] = cell;
    m_cols = std::max(m_cols, std::min(col + 1, maxCols()));
    m_rows = std::max(m_rows, std::min(row + 1, kGridRows));
}

void PendingCells::setInExtent(int row, int col, const TAnsiCell& cell) {
    if (row >= 0 && row < m_rows && col >= 0 && col < m_cols) set(row, col, cell);
}

int PendingCells::charStart(int row, int slot) const {
    if (m_double) return IsLeadByte(cell(row, slot / 2).Chars[0]) ? slot - slot % 2 : slot;
    // A single-byte row is read from its start: a lead byte takes the byte after it.
    int s = 0;
    while (s < slot) {
        const int width = IsLeadByte(cell(row, s).Chars[1]) && s + 1 < kGridCols ? 2 : 1;
        if (s + width > slot) return s;
        s += width;
    }
    return slot;
}

int PendingCells::charWidth(int row, int slot) const {
    const int start = charStart(row, slot);
    if (m_double) return IsLeadByte(cell(row, start / 2).Chars[0]) ? 2 : 1;
    return IsLeadByte(cell(row, start).Chars[1]) && start + 1 < kGridCols ? 2 : 1;
}

RowChar PendingCells::charAt(int row, int slot) const {
    RowChar ch;
    const TAnsiCell& c = cell(row, m_double ? slot / 2 : slot);
    ch.font = c.FontColor;
    ch.back = c.BackColor;
    if (m_double) {
        if (IsLeadByte(c.Chars[0])) {
            ch.bytes[0] = c.Chars[0];
            ch.bytes[1] = c.Chars[1];
            ch.wide = true;
        } else {
            const std::uint8_t b = c.Chars[slot % 2];
            ch.bytes[0] = b == 0 || IsLeadByte(b) ? kSpace : b;
        }
        return ch;
    }
    ch.bytes[0] = c.Chars[1];
    if (IsLeadByte(c.Chars[1])) {
        if (slot + 1 < kGridCols) {
            ch.bytes[1] = cell(row, slot + 1).Chars[1];
            ch.wide = true;
        } else {
            ch.bytes[0] = kSpace;
        }
    }
    return ch;
}

std::vector<RowChar> PendingCells::chars(int row, int from, int to) const {
    std::vector<RowChar> out;
    int s = from;
    while (s < to) {
        RowChar ch = charAt(row, s);
        const int width = ch.wide ? 2 : 1;
        if (s + width > to) {
            ch.wide = false;
            ch.bytes[0] = kSpace;
            out.push_back(ch);
            break;
        }
        out.push_back(ch);
        s += width;
    }
    return out;
}

void PendingCells::breakCharsAcross(int row, int from, int to) {
    // Both ends are found on the row as it stands, before either is broken.
    const int leftStart = from > 0 ? charStart(row, from) : from;
    const int rightStart = to < maxSlots() && to > from ? charStart(row, to) : to;
    auto blank = [&](int slot) {
        TAnsiCell c = cell(row, m_double ? slot / 2 : slot);
        if (m_double) {
            c.Chars[0] = kSpace;
            c.Chars[1] = kSpace;
        } else {
            c.Chars[1] = kSpace;
        }
        set(row, m_double ? slot / 2 : slot, c);
    };
    if (rightStart < to) blank(to); // the half beyond `to`
    if (leftStart < from) blank(leftStart);
}

int PendingCells::place(int row, int slot, const std::vector<RowChar>& text, int end, const RowChar& fill) {
    auto write = [&](int s, const RowChar& ch) {
        const int col = m_double ? s / 2 : s;
        TAnsiCell c = cell(row, col);
        c.FontColor = ch.font;
        c.BackColor = ch.back;
        if (!m_double) {
            c.Chars[0] = kSpace;
            c.Chars[1] = ch.bytes[0];
            set(row, col, c);
            if (ch.wide) {
                c.Chars[1] = ch.bytes[1];
                set(row, col + 1, c);
            }
            return;
        }
        if (ch.wide) {
            c.Chars[0] = ch.bytes[0];
            c.Chars[1] = ch.bytes[1];
        } else {
            if (IsLeadByte(c.Chars[0])) c.Chars[0] = c.Chars[1] = kSpace; // half of a character goes
            c.Chars[s % 2] = ch.bytes[0];
            if (c.Chars[0] == 0) c.Chars[0] = kSpace; // a zero first byte would hide the second
            if (IsLeadByte(c.Chars[1])) c.Chars[1] = kSpace;
        }
        set(row, col, c);
    };
    int s = slot;
    int placedEnd = slot;
    bool afterSpace = false; // the last character placed here was a space
    for (const RowChar& ch : text) {
        if (m_double && ch.wide && s % 2 == 1 && afterSpace) {
            // The space before takes the place a pad would: text that moves by half a cell again
            // and again does not gather pads.
            --s;
        } else if (m_double && ch.wide && s % 2 == 1) {
            if (s + 3 > end) break;
            // The half a Chinese character cannot start in keeps its colours and gets a space.
            RowChar pad = charAt(row, s);
            pad.bytes[0] = kSpace;
            pad.wide = false;
            write(s++, pad);
        }
        const int width = ch.wide ? 2 : 1;
        if (s + width > end) break;
        write(s, ch);
        s += width;
        placedEnd = s;
        afterSpace = !ch.wide && ch.bytes[0] == kSpace;
    }
    for (; s < end; ++s)
        write(s, fill);
    return placedEnd;
}

std::vector<CellWrite> PendingCells::writes() const {
    std::vector<CellWrite> out;
    out.reserve(m_cells.size());
    for (const auto& [index, c] : m_cells)
        if (std::memcmp(&m_unit.grid()[static_cast<std::size_t>(index)], &c, sizeof c) != 0) out.push_back({index, c});
    return out;
}

} // namespace quillet

#include "celleditmodel.h"

#include "cellclipboard.h"
#include "celledits.h"
#include "filmpanel.h"
#include "undohistory.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <deque>

namespace quillet {

namespace {

constexpr std::uint8_t kSpace = ' ';

// The text as GBK characters, one entry each ("\n" for a line break); characters GBK cannot hold
// are collected instead.
QList<QByteArray> gbkCharacters(const QString& text, QString* unencodable) {
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    QList<QByteArray> out;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QStringView character = QStringView(text).mid(i, pair ? 2 : 1);
        i += character.size();
        if (character == u"\r") continue;
        if (character == u"\n" || character == u"\t") {
            out.append(character == u"\n" ? QByteArray("\n") : QByteArray(" "));
            continue;
        }
        const QByteArray bytes = encoder.encode(character);
        const bool control = bytes.size() == 1 && static_cast<std::uint8_t>(bytes.at(0)) < 0x20;
        if (bytes.isEmpty() || bytes.size() > 2 || QString(decoder.decode(bytes)) != character) {
            if (!unencodable->contains(character)) unencodable->append(character);
        } else if (!control) {
            out.append(bytes);
        }
    }
    return out;
}

RowChar rowChar(const QByteArray& bytes, TColor font, TColor back) {
    RowChar ch;
    ch.bytes[0] = static_cast<std::uint8_t>(bytes.at(0));
    ch.wide = bytes.size() == 2;
    if (ch.wide) ch.bytes[1] = static_cast<std::uint8_t>(bytes.at(1));
    ch.font = font;
    ch.back = back;
    return ch;
}

} // namespace

CellEditModel::CellEditModel(TFilmPanel& strip, UndoHistory& history) : m_strip(strip), m_history(history) {}

const TAnsiImage* CellEditModel::unit() const {
    const int index = m_strip.currentIndex();
    return index >= 0 && index < m_strip.count() ? &m_strip.GetUnit(index) : nullptr;
}

bool CellEditModel::doubleByte() const {
    const TAnsiImage* u = unit();
    return u && u->IsDoubleByte();
}

int CellEditModel::maxCols() const {
    return doubleByte() ? kGridCols / 2 : kGridCols;
}

int CellEditModel::cursorSlot() const {
    return doubleByte() ? m_cursor.col * 2 + m_cursor.half : m_cursor.col;
}

void CellEditModel::setCursorSlot(int row, int slot) {
    const bool twoHalves = doubleByte();
    m_cursor.row = std::clamp(row, 0, kGridRows - 1);
    slot = std::clamp(slot, 0, maxCols() * (twoHalves ? 2 : 1) - 1);
    if (const TAnsiImage* u = unit()) slot = PendingCells(*u).charStart(m_cursor.row, slot);
    m_cursor.col = twoHalves ? slot / 2 : slot;
    m_cursor.half = twoHalves ? slot % 2 : 0;
}

void CellEditModel::setCursor(CellCursor at) {
    m_anchor.reset();
    m_selection = QRect();
    breakTypingRun();
    setCursorSlot(at.row, doubleByte() ? std::clamp(at.col, 0, maxCols() - 1) * 2 + std::clamp(at.half, 0, 1)
                                        : at.col);
}

void CellEditModel::moveCursor(CursorMove move, bool extend, int pageRows) {
    breakTypingRun();
    const CellCursor from = m_cursor;
    if (extend && !m_anchor) m_anchor = from;
    const int slot = cursorSlot();
    const int row = m_cursor.row;
    const TAnsiImage* u = unit();
    switch (move) {
    case CursorMove::Left:
        if (slot > 0) setCursorSlot(row, slot - 1);
        break;
    case CursorMove::Right: {
        const int width = u ? PendingCells(*u).charWidth(row, slot) : 1;
        if (slot + width < maxCols() * (doubleByte() ? 2 : 1)) setCursorSlot(row, slot + width);
        break;
    }
    case CursorMove::Up: setCursorSlot(row - 1, slot); break;
    case CursorMove::Down: setCursorSlot(row + 1, slot); break;
    case CursorMove::PageUp: setCursorSlot(row - std::max(pageRows, 1), slot); break;
    case CursorMove::PageDown: setCursorSlot(row + std::max(pageRows, 1), slot); break;
    case CursorMove::Home: setCursorSlot(row, 0); break;
    case CursorMove::End: {
        // Just after the row's last character that is not a space.
        int end = 0;
        if (u) {
            const PendingCells cells(*u);
            for (int s = 0; s < cells.maxSlots();) {
                const RowChar ch = cells.charAt(row, s);
                s += ch.wide ? 2 : 1;
                if (ch.wide || ch.bytes[0] != kSpace) end = s;
            }
        }
        setCursorSlot(row, end);
        break;
    }
    case CursorMove::NextRowStart:
        if (row + 1 < kGridRows) setCursorSlot(row + 1, 0);
        break;
    }
    if (!extend) {
        m_anchor.reset();
        m_selection = QRect();
        return;
    }
    m_selection = QRect(QPoint(std::min(m_anchor->col, m_cursor.col), std::min(m_anchor->row, m_cursor.row)),
                        QPoint(std::max(m_anchor->col, m_cursor.col), std::max(m_anchor->row, m_cursor.row)));
}

void CellEditModel::setSelection(const QRect& cells) {
    m_selection = cells.normalized().intersected(QRect(0, 0, maxCols(), kGridRows));
}

void CellEditModel::swapColors() {
    std::swap(m_textColor, m_backColor);
}

void CellEditModel::pickColors(int row, int col) {
    const TAnsiImage* u = unit();
    if (!u || row < 0 || row >= kGridRows || col < 0 || col >= maxCols()) return;
    m_textColor = u->cell(row, col).FontColor;
    m_backColor = u->cell(row, col).BackColor;
}

RowChar CellEditModel::chosenSpace() const {
    RowChar ch;
    ch.font = m_textColor;
    ch.back = m_backColor;
    return ch;
}

void CellEditModel::commit(const PendingCells& cells, const QString& text, bool timed) {
    m_history.editCells(m_strip.currentIndex(), cells.writes(), cells.cols(), cells.rows(), text, m_run, timed);
}

void CellEditModel::commitStep(const PendingCells& cells, const QString& text) {
    breakTypingRun();
    commit(cells, text, false);
    breakTypingRun();
}

QString CellEditModel::typeText(const QString& text) {
    QString unencodable;
    const QList<QByteArray> characters = gbkCharacters(text, &unencodable);
    if (!unencodable.isEmpty()) return unencodable;
    const TAnsiImage* u = unit();
    if (!u || characters.isEmpty()) return QString();
    PendingCells cells(*u);
    for (const QByteArray& character : characters)
        typeCharacter(cells, character);
    commit(cells, QCoreApplication::translate("quillet::CellEditModel", "输入文字"), true);
    return QString();
}

void CellEditModel::typeCharacter(PendingCells& cells, const QByteArray& character) {
    if (character == "\n") {
        if (m_cursor.row + 1 < kGridRows) setCursorSlot(m_cursor.row + 1, 0);
        return;
    }
    const RowChar ch = rowChar(character, m_textColor, m_backColor);
    int row = m_cursor.row;
    int slot = cursorSlot();
    const int padded = cells.doubleByte() && ch.wide ? slot % 2 : 0;
    const int width = ch.wide ? 2 : 1;
    if (slot + padded + width > cells.maxSlots()) { // no room left in the row: the next one
        if (row + 1 >= kGridRows) return;
        ++row;
        slot = 0;
    }
    const int extentEnd = cells.cols() * cells.slotsPerCell();
    int after;
    if (m_insert && slot < extentEnd) {
        // The rest of the row moves right within the extent; what falls off its end is dropped.
        std::vector<RowChar> line{ch};
        const std::vector<RowChar> rest = cells.chars(row, slot, extentEnd);
        line.insert(line.end(), rest.begin(), rest.end());
        const int end = std::max(extentEnd, slot + padded + width);
        cells.breakCharsAcross(row, slot, end);
        after = cells.place(row, slot, line, end, chosenSpace());
        after = std::min(after, slot + padded + width);
    } else {
        const int end = slot + padded + width;
        cells.breakCharsAcross(row, slot, end);
        after = cells.place(row, slot, {ch}, end, chosenSpace());
    }
    if (after >= cells.maxSlots()) {
        if (row + 1 < kGridRows) setCursorSlot(row + 1, 0);
        else setCursorSlot(row, cells.charStart(row, cells.maxSlots() - 1));
        return;
    }
    m_cursor.row = row;
    m_cursor.col = cells.doubleByte() ? after / 2 : after;
    m_cursor.half = cells.doubleByte() ? after % 2 : 0;
}

void CellEditModel::backspace() {
    const TAnsiImage* u = unit();
    const int slot = cursorSlot();
    if (!u || slot == 0) return;
    PendingCells cells(*u);
    const int row = m_cursor.row;
    const int start = cells.charStart(row, slot - 1);
    const int width = cells.charWidth(row, start);
    if (m_insert) {
        const int end = std::max(cells.cols() * cells.slotsPerCell(), slot);
        const std::vector<RowChar> rest = cells.chars(row, slot, end);
        cells.breakCharsAcross(row, start, end);
        cells.place(row, start, rest, end, chosenSpace());
    } else {
        RowChar space = cells.charAt(row, start); // the character's colours stay
        space.wide = false;
        space.bytes[0] = kSpace;
        cells.place(row, start, {}, start + width, space);
    }
    setCursorSlot(row, start);
    commit(cells, QCoreApplication::translate("quillet::CellEditModel", "输入文字"), true);
}

void CellEditModel::deleteForward() {
    if (!m_selection.isEmpty()) {
        clearSelectionCells();
        return;
    }
    const TAnsiImage* u = unit();
    if (!u) return;
    PendingCells cells(*u);
    const int row = m_cursor.row;
    const int slot = cursorSlot();
    const int end = cells.cols() * cells.slotsPerCell();
    if (slot >= end) return;
    const int width = cells.charWidth(row, slot);
    const std::vector<RowChar> rest = cells.chars(row, std::min(slot + width, end), end);
    cells.breakCharsAcross(row, slot, end);
    cells.place(row, slot, rest, end, chosenSpace());
    commitStep(cells, QCoreApplication::translate("quillet::CellEditModel", "删除文字"));
}

namespace {

// A cell's colours after a brush, fill or rectangle with the chosen colours.
TAnsiCell recoloured(TAnsiCell c, CellColors which, TColor font, TColor back) {
    if (which != CellColors::Back) c.FontColor = font;
    if (which != CellColors::Text) c.BackColor = back;
    return c;
}

} // namespace

void CellEditModel::beginStroke() {
    breakTypingRun();
    m_stroking = true;
}

void CellEditModel::paintCell(int row, int col, CellColors which) {
    const TAnsiImage* u = unit();
    if (!u) return;
    PendingCells cells(*u);
    if (row >= 0 && row < cells.rows() && col >= 0 && col < cells.cols())
        cells.set(row, col, recoloured(cells.cell(row, col), which, m_textColor, m_backColor));
    commit(cells, QCoreApplication::translate("quillet::CellEditModel", "画笔"), false);
    if (!m_stroking) breakTypingRun();
}

void CellEditModel::endStroke() {
    m_stroking = false;
    breakTypingRun();
}

void CellEditModel::floodFill(int row, int col, CellColors which) {
    const TAnsiImage* u = unit();
    if (!u || row < 0 || row >= u->rows() || col < 0 || col >= u->cols()) return;
    PendingCells cells(*u);
    const bool byText = which == CellColors::Text;
    auto colourOf = [&](int r, int c) { return byText ? u->cell(r, c).FontColor : u->cell(r, c).BackColor; };
    const TColor region = colourOf(row, col);
    std::vector<bool> seen(static_cast<std::size_t>(kGridCells), false);
    std::deque<std::pair<int, int>> todo{{row, col}};
    seen[static_cast<std::size_t>(row * kGridCols + col)] = true;
    while (!todo.empty()) {
        const auto [r, c] = todo.front();
        todo.pop_front();
        cells.set(r, c, recoloured(cells.cell(r, c), which, m_textColor, m_backColor));
        const std::pair<int, int> next[] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
        for (const auto& [nr, nc] : next) {
            if (nr < 0 || nr >= u->rows() || nc < 0 || nc >= u->cols()) continue;
            const auto k = static_cast<std::size_t>(nr * kGridCols + nc);
            if (seen[k] || colourOf(nr, nc) != region) continue;
            seen[k] = true;
            todo.emplace_back(nr, nc);
        }
    }
    commitStep(cells, QCoreApplication::translate("quillet::CellEditModel", "填充"));
}

void CellEditModel::fillRect(const QRect& rect, CellColors which) {
    const TAnsiImage* u = unit();
    if (!u) return;
    PendingCells cells(*u);
    const QRect area = rect.normalized().intersected(QRect(0, 0, u->cols(), u->rows()));
    for (int r = area.top(); r <= area.bottom(); ++r)
        for (int c = area.left(); c <= area.right(); ++c)
            cells.set(r, c, recoloured(cells.cell(r, c), which, m_textColor, m_backColor));
    commitStep(cells, QCoreApplication::translate("quillet::CellEditModel", "矩形填充"));
}

CellBlock CellEditModel::liftSelection() const {
    CellBlock block;
    const TAnsiImage* u = unit();
    const QRect area = m_selection.intersected(QRect(0, 0, maxCols(), kGridRows));
    if (!u || area.isEmpty()) return block;
    const PendingCells cells(*u);
    block.cols = area.width();
    block.rows = area.height();
    block.doubleByte = u->IsDoubleByte();
    block.cells.reserve(static_cast<std::size_t>(block.cols * block.rows));
    for (int r = area.top(); r <= area.bottom(); ++r) {
        for (int c = area.left(); c <= area.right(); ++c) {
            TAnsiCell cell = u->cell(r, c);
            // In a single-byte row a Chinese character cut by an edge leaves a space in the copy.
            if (!block.doubleByte) {
                const int start = cells.charStart(r, c);
                const int width = cells.charWidth(r, c);
                if (start < area.left() || start + width - 1 > area.right()) cell.Chars[1] = kSpace;
            }
            block.cells.push_back(cell);
        }
    }
    return block;
}

QByteArray CellEditModel::copySelection() const {
    const CellBlock block = liftSelection();
    return block.cells.empty() ? QByteArray() : EncodeCells(block);
}

QString CellEditModel::selectionText() const {
    const CellBlock block = liftSelection();
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    QStringList lines;
    for (int r = 0; r < block.rows; ++r) {
        QByteArray bytes;
        for (int c = 0; c < block.cols; ++c) {
            const TAnsiCell& cell = block.at(r, c);
            if (!block.doubleByte) {
                bytes += static_cast<char>(cell.Chars[1]);
            } else if (cell.Chars[0] != 0) {
                bytes += static_cast<char>(cell.Chars[0]);
                if (cell.Chars[1] != 0) bytes += static_cast<char>(cell.Chars[1]);
            }
        }
        while (!bytes.isEmpty() && static_cast<std::uint8_t>(bytes.back()) <= kSpace)
            bytes.chop(1);
        lines.append(gbk.decode(bytes));
    }
    return lines.join(QLatin1Char('\n'));
}

void CellEditModel::clearCells(PendingCells& cells, const QRect& rect) const {
    const QRect area = rect.intersected(QRect(0, 0, cells.cols(), cells.rows()));
    for (int r = area.top(); r <= area.bottom(); ++r) {
        const int spc = cells.slotsPerCell();
        cells.breakCharsAcross(r, area.left() * spc, (area.right() + 1) * spc);
        for (int c = area.left(); c <= area.right(); ++c) {
            TAnsiCell cell = cells.cell(r, c);
            cell.Chars[0] = cell.Chars[1] = kSpace;
            cell.FontColor = m_textColor;
            cell.BackColor = m_backColor;
            cells.set(r, c, cell);
        }
    }
}

void CellEditModel::clearSelectionCells() {
    clearSelectionAs(QCoreApplication::translate("quillet::CellEditModel", "清除"));
}

void CellEditModel::cutSelection() {
    clearSelectionAs(QCoreApplication::translate("quillet::CellEditModel", "剪切"));
}

void CellEditModel::clearSelectionAs(const QString& text) {
    const TAnsiImage* u = unit();
    if (!u || m_selection.isEmpty()) return;
    PendingCells cells(*u);
    clearCells(cells, m_selection);
    commitStep(cells, text);
}

void CellEditModel::putBlock(PendingCells& cells, const CellBlock& block, int row, int col) const {
    const int spc = cells.slotsPerCell();
    const int lastCol = std::min(col + block.cols, cells.maxCols()); // one past
    if (col >= lastCol) return;
    for (int r = 0; r < block.rows && row + r < kGridRows; ++r) {
        const int target = row + r;
        cells.breakCharsAcross(target, col * spc, lastCol * spc);
        for (int c = col; c < lastCol; ++c) {
            TAnsiCell cell = block.at(r, c - col);
            if (cells.doubleByte()) {
                // A lead byte stands only first in a cell, before its second byte.
                if (IsLeadByte(cell.Chars[1]) && !IsLeadByte(cell.Chars[0])) cell.Chars[1] = kSpace;
                if (IsLeadByte(cell.Chars[0]) && cell.Chars[1] < 0x40) cell.Chars[0] = cell.Chars[1] = kSpace;
            }
            cells.set(target, c, cell);
        }
        if (!cells.doubleByte()) {
            // A lead byte at the block's right edge would take the byte after the block.
            const int start = cells.charStart(target, lastCol - 1);
            if (start + cells.charWidth(target, start) > lastCol) {
                TAnsiCell cell = cells.cell(target, start);
                cell.Chars[1] = kSpace;
                cells.set(target, start, cell);
            }
        }
    }
}

bool CellEditModel::pasteCells(const QByteArray& payload) {
    const std::optional<CellBlock> block = DecodeCells(payload);
    if (!block) return false;
    const TAnsiImage* u = unit();
    if (!u) return true;
    if (block->doubleByte != u->IsDoubleByte()) {
        // Cells of the other byte mode cannot keep their places: their text comes over.
        QStringList lines;
        QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
        for (int r = 0; r < block->rows; ++r) {
            QByteArray bytes;
            for (int c = 0; c < block->cols; ++c) {
                const TAnsiCell& cell = block->at(r, c);
                if (block->doubleByte) {
                    if (cell.Chars[0] == 0) continue;
                    bytes += static_cast<char>(cell.Chars[0]);
                    if (cell.Chars[1] != 0) bytes += static_cast<char>(cell.Chars[1]);
                } else {
                    bytes += static_cast<char>(cell.Chars[1]);
                }
            }
            lines.append(QString(gbk.decode(bytes)).replace(QChar::ReplacementCharacter, QLatin1Char(' ')));
        }
        pasteText(lines.join(QLatin1Char('\n')));
        return true;
    }
    PendingCells cells(*u);
    putBlock(cells, *block, m_cursor.row, m_cursor.col);
    commitStep(cells, QCoreApplication::translate("quillet::CellEditModel", "粘贴"));
    setSelection(QRect(m_cursor.col, m_cursor.row, block->cols, block->rows));
    return true;
}

QString CellEditModel::pasteText(const QString& text) {
    QString unencodable;
    const QList<QByteArray> characters = gbkCharacters(text, &unencodable);
    if (!unencodable.isEmpty()) return unencodable;
    const TAnsiImage* u = unit();
    if (!u || characters.isEmpty()) return QString();
    PendingCells cells(*u);
    const int startSlot = cursorSlot();
    int row = m_cursor.row;
    int slot = startSlot;
    for (const QByteArray& character : characters) {
        if (character == "\n") {
            ++row;
            slot = startSlot;
            continue;
        }
        if (row >= kGridRows) break;
        const RowChar ch = rowChar(character, m_textColor, m_backColor);
        const int end = slot + (cells.doubleByte() && ch.wide ? slot % 2 : 0) + (ch.wide ? 2 : 1);
        if (end > cells.maxSlots()) continue; // past the row's end: dropped
        cells.breakCharsAcross(row, slot, end);
        cells.place(row, slot, {ch}, end, chosenSpace());
        slot = end;
    }
    commitStep(cells, QCoreApplication::translate("quillet::CellEditModel", "粘贴"));
    return QString();
}

void CellEditModel::moveSelection(int dCols, int dRows) {
    const TAnsiImage* u = unit();
    if (!u || m_selection.isEmpty() || (dCols == 0 && dRows == 0)) return;
    const CellBlock block = liftSelection();
    PendingCells cells(*u);
    clearCells(cells, m_selection);
    const QRect moved = m_selection.translated(dCols, dRows);
    CellBlock shown = block;
    // The part moved past the grid's top or left edge is dropped.
    const int skipCols = std::max(0, -moved.left());
    const int skipRows = std::max(0, -moved.top());
    if (skipCols >= block.cols || skipRows >= block.rows) {
        shown.cells.clear();
    } else if (skipCols > 0 || skipRows > 0) {
        shown.cols = block.cols - skipCols;
        shown.rows = block.rows - skipRows;
        shown.cells.clear();
        for (int r = skipRows; r < block.rows; ++r)
            for (int c = skipCols; c < block.cols; ++c)
                shown.cells.push_back(block.at(r, c));
    }
    if (!shown.cells.empty())
        putBlock(cells, shown, std::max(moved.top(), 0), std::max(moved.left(), 0));
    commitStep(cells, QCoreApplication::translate("quillet::CellEditModel", "移动选区"));
    setSelection(moved);
}

} // namespace quillet

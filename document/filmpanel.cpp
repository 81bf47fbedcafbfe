#include "filmpanel.h"

#include <algorithm>

namespace quillet {

TFilmPanel::TFilmPanel(QObject* parent) : QObject(parent) {}

TFilmPanel::~TFilmPanel() = default;

int TFilmPanel::UnitTop(int index) const {
    int top = FUnitSpacing;
    for (int j = 0; j <= index; ++j)
        top += FUnits[j]->Height + FUnitSpacing;
    return top;
}

int TFilmPanel::ContentWidth() const {
    int widest = 0;
    for (int j = 0; j < FCount; ++j)
        widest = std::max(widest, FUnits[j]->Width);
    return widest + 2 * FUnitMargin;
}

void TFilmPanel::UpdateWidth() {
    Width = ContentWidth();
    emit layoutChanged();
}

const TAnsiImage& TFilmPanel::GetUnit(int index) const {
    Q_ASSERT(index >= 0 && index < FCount);
    return *FUnits[index];
}

std::unique_ptr<TAnsiImage> TFilmPanel::NewUnit() const {
    auto unit = std::make_unique<TAnsiImage>();
    unit->SetBackColor(FDefaultBackColor);
    unit->SetFontColor(FDefaultFontColor);
    unit->setPageColor(FPageColor);
    unit->setByteMode(FDefaultByteMode);
    unit->Clear();
    return unit;
}

void TFilmPanel::AppendUnit(std::unique_ptr<TAnsiImage> unit) {
    const int index = FCount;
    unit->setPlace(FUnitMargin, UnitTop(index - 1), index);
    FUnits[index] = std::move(unit);
    ++FCount;
    emit unitsInserted(index, 1);
    FinishAppend(index);
}

void TFilmPanel::FinishAppend(int index) {
    const TAnsiImage& unit = GetUnit(index);
    Height = unit.Height + Height + FUnitSpacing;
    UpdateWidth();
    UnitClick(unit);
}

ImportReport TFilmPanel::AddTextUnit(const QString& fileName) {
    if (FCount >= kMaxUnits) return ImportReport();
    std::unique_ptr<TAnsiImage> unit = NewUnit();
    const ImportReport report = unit->LoadFromTextFile(fileName); // may throw: the strip is untouched
    AppendUnit(std::move(unit));
    return report;
}

void TFilmPanel::AddRecordUnit(const char* record) {
    if (FCount >= kMaxUnits) return;
    std::unique_ptr<TAnsiImage> unit = NewUnit();
    unit->LoadFromRecord(record);
    AppendUnit(std::move(unit));
}

void TFilmPanel::AppendUnits(std::vector<std::unique_ptr<TAnsiImage>> units) {
    for (std::unique_ptr<TAnsiImage>& unit : units) {
        if (FCount >= kMaxUnits) break;
        AppendUnit(std::move(unit));
    }
}

void TFilmPanel::ReplaceUnits(std::vector<std::unique_ptr<TAnsiImage>> units) {
    ClearUnits();
    AppendUnits(std::move(units));
}

void TFilmPanel::DeleteUnit(int index) {
    if (index < 0 || index >= kMaxUnits || !FUnits[index]) return;
    const int gap = FUnits[index]->Height + FUnitSpacing;
    FUnits[index].reset();
    for (int j = index + 1; j < FCount; ++j) {
        TAnsiImage& unit = *FUnits[j];
        unit.setPlace(unit.Left, unit.Top - gap, unit.Tag - 1);
        FUnits[j - 1] = std::move(FUnits[j]);
    }
    FUnits[FCount - 1].reset();
    --FCount;
    emit unitsRemoved(index, 1);
    FCurrentIndex = std::min(FCount - 1, FCurrentIndex);
    SelectUnit(FCurrentIndex);
    Height = std::max(1, Height - gap);
    UpdateWidth();
}

void TFilmPanel::ClearUnits() {
    while (FCount > 0)
        DeleteUnit(FCount - 1);
}

bool TFilmPanel::MoveUnit(int index, bool up) {
    if (index < 0 || index >= FCount || (up && index == 0) || (!up && index == FCount - 1)) return false;
    const int other = up ? index - 1 : index + 1;
    const int upperIndex = std::min(index, other);
    const int lowerIndex = std::max(index, other);
    std::swap(FUnits[upperIndex], FUnits[lowerIndex]);
    TAnsiImage& upper = *FUnits[upperIndex];
    TAnsiImage& lower = *FUnits[lowerIndex];
    // The pair keeps the top of its upper unit; the new upper unit's height decides the lower top.
    const int pairTop = lower.Top;
    upper.setPlace(upper.Left, pairTop, upperIndex);
    lower.setPlace(lower.Left, pairTop + upper.Height + FUnitSpacing, lowerIndex);
    emit unitMoved(index, other);
    emit layoutChanged();
    return true;
}

void TFilmPanel::setSelected(int index, bool selected) {
    TAnsiImage& unit = *FUnits[index];
    if (unit.FSelected == selected) return;
    unit.setSelected(selected);
    emit unitContentChanged(index, QRect());
}

void TFilmPanel::SelectUnit(int index) {
    if (index < 0 || index >= FCount) return;
    setSelected(index, true);
    FCurrentIndex = FUnits[index]->Tag;
    emit unitChanged();
}

void TFilmPanel::UnitClick(const TAnsiImage& unit) {
    if (unit.Tag == FCurrentIndex) return;
    if (FCurrentIndex != -1) setSelected(FCurrentIndex, false);
    SelectUnit(unit.Tag);
}

void TFilmPanel::SetUnitContent(int index, const QList<QByteArray>& lines, TColor backColor, TColor fontColor) {
    Q_ASSERT(index >= 0 && index < FCount);
    TAnsiImage& unit = *FUnits[index];
    const int oldHeight = unit.Height;
    unit.SetLines(lines);
    unit.SetBackColor(backColor);
    unit.SetFontColor(fontColor);
    emit unitContentChanged(index, QRect(0, 0, unit.FCols, unit.FRows));
    FinishContentChange(index, oldHeight);
}

void TFilmPanel::RestoreUnitContent(int index, const UnitContent& content) {
    Q_ASSERT(index >= 0 && index < FCount);
    TAnsiImage& unit = *FUnits[index];
    const int oldHeight = unit.Height;
    unit.setContent(content);
    emit unitContentChanged(index, QRect(0, 0, unit.FCols, unit.FRows));
    FinishContentChange(index, oldHeight);
}

void TFilmPanel::EditCells(int index, const std::vector<CellWrite>& cells, std::int32_t cols, std::int32_t rows) {
    Q_ASSERT(index >= 0 && index < FCount);
    TAnsiImage& unit = *FUnits[index];
    cols = std::clamp(cols, 0, kGridCols);
    rows = std::clamp(rows, 0, kGridRows);
    const bool newExtent = cols != unit.FCols || rows != unit.FRows;
    QRect written;
    for (const CellWrite& write : cells)
        if (write.index >= 0 && write.index < kGridCells)
            written |= QRect(write.index % kGridCols, write.index / kGridCols, 1, 1);
    if (written.isEmpty() && !newExtent) return;
    const int oldHeight = unit.Height;
    unit.writeCells(cells);
    if (newExtent) {
        // The cells the extent gains or loses change too.
        written |= QRect(0, 0, std::max(cols, unit.FCols), std::max(rows, unit.FRows));
        unit.setExtent(cols, rows);
        unit.FitSize();
    }
    emit unitContentChanged(index, written);
    if (newExtent) FinishContentChange(index, oldHeight);
}

void TFilmPanel::FinishContentChange(int index, int oldHeight) {
    const int growth = FUnits[index]->Height - oldHeight;
    if (growth != 0) {
        Height += growth;
        ShiftUnits(index + 1, growth);
    }
    // After the later units have moved, so a view lays out the strip once, complete.
    UpdateWidth();
}

void TFilmPanel::ShiftUnits(int first, int shift) {
    for (int j = first; j < FCount; ++j) {
        TAnsiImage& unit = *FUnits[j];
        unit.setPlace(unit.Left, unit.Top + shift, j);
    }
}

int TFilmPanel::InsertUnits(int at, std::vector<std::unique_ptr<TAnsiImage>> units) {
    Q_ASSERT(at >= 0 && at <= FCount);
    const int n = std::min(static_cast<int>(units.size()), kMaxUnits - FCount);
    if (n <= 0) return 0;
    std::move_backward(FUnits.begin() + at, FUnits.begin() + FCount, FUnits.begin() + FCount + n);
    int top = UnitTop(at - 1);
    int grown = 0;
    for (int k = 0; k < n; ++k) {
        TAnsiImage& unit = *units[static_cast<std::size_t>(k)];
        if (unit.FSelected) unit.setSelected(false);
        unit.setPlace(FUnitMargin, top, at + k);
        top += unit.Height + FUnitSpacing;
        grown += unit.Height + FUnitSpacing;
        FUnits[at + k] = std::move(units[static_cast<std::size_t>(k)]);
    }
    FCount += n;
    ShiftUnits(at + n, grown);
    if (FCurrentIndex >= at) FCurrentIndex += n;
    emit unitsInserted(at, n);
    Height += grown;
    UpdateWidth();
    SetCurrentUnit(at + n - 1);
    return n;
}

std::vector<std::unique_ptr<TAnsiImage>> TFilmPanel::TakeUnits(int first, int count) {
    Q_ASSERT(first >= 0 && count >= 0 && first + count <= FCount);
    std::vector<std::unique_ptr<TAnsiImage>> taken;
    if (count <= 0) return taken;
    int gap = 0;
    for (int k = first; k < first + count; ++k) {
        gap += FUnits[k]->Height + FUnitSpacing;
        taken.push_back(std::move(FUnits[k]));
    }
    std::move(FUnits.begin() + first + count, FUnits.begin() + FCount, FUnits.begin() + first);
    FCount -= count;
    ShiftUnits(first, -gap);
    if (FCurrentIndex >= first + count)
        FCurrentIndex -= count;
    else if (FCurrentIndex >= first)
        FCurrentIndex = -1;
    emit unitsRemoved(first, count);
    if (FCount > 0) {
        SetCurrentUnit(std::min(first, FCount - 1));
    } else {
        FCurrentIndex = -1;
        emit unitChanged();
    }
    Height = std::max(1, Height - gap);
    UpdateWidth();
    return taken;
}

void TFilmPanel::SetUnitDuration(int index, std::int32_t milliseconds) {
    Q_ASSERT(index >= 0 && index < FCount);
    FUnits[index]->setDuration(milliseconds);
}

void TFilmPanel::SetCurrentUnit(int index) {
    if (index < 0 || index >= FCount) return;
    for (int j = 0; j < FCount; ++j)
        if (j != index) setSelected(j, false);
    setSelected(index, true);
    FCurrentIndex = index;
    emit unitChanged();
}

void TFilmPanel::SetPageColor(TColor color) {
    FPageColor = color;
    for (int j = 0; j < FCount; ++j) {
        FUnits[j]->setPageColor(color);
        emit unitContentChanged(j, QRect());
    }
}

void TFilmPanel::SetByteMode(int position) {
    switch (position) {
    case 0:
        FDefaultByteMode = bmAuto;
        break;
    case 1:
        FDefaultByteMode = bmSingleByte;
        break;
    case 2:
        FDefaultByteMode = bmDoubleByte;
        break;
    default:
        break;
    }
}

int TFilmPanel::GetByteMode() const {
    switch (FDefaultByteMode) {
    case bmDoubleByte:
        return 2;
    case bmSingleByte:
        return 1;
    default:
        return 0;
    }
}

void TFilmPanel::SetDefaultColors(TColor backColor, TColor fontColor) {
    FDefaultBackColor = backColor;
    FDefaultFontColor = fontColor;
}

void TFilmPanel::SetDocFileName(const QString& name) {
    FDocFileName = name;
}

} // namespace quillet

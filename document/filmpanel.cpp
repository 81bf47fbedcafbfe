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

void TFilmPanel::AddUnit() {
    auto unit = std::make_unique<TAnsiImage>();
    unit->Tag = FCount;
    unit->Top = UnitTop(FCount - 1);
    unit->Left = FUnitMargin;
    unit->SetBackColor(FDefaultBackColor);
    unit->SetFontColor(FDefaultFontColor);
    unit->FPageColor = FPageColor;
    unit->FByteMode = FDefaultByteMode;
    unit->Clear();
    FUnits[FCount] = std::move(unit);
    ++FCount;
}

void TFilmPanel::FinishAppend(int index) {
    TAnsiImage& unit = GetUnit(index);
    Height = unit.Height + Height + FUnitSpacing;
    UpdateWidth();
    UnitClick(unit);
}

ImportReport TFilmPanel::AddTextUnit(const QString& fileName) {
    if (FCount >= kMaxUnits) return ImportReport();
    AddUnit();
    ImportReport report;
    try {
        report = GetUnit(FCount - 1).LoadFromTextFile(fileName);
    } catch (...) {
        // Nothing of the strip has changed yet but the blank unit in the next slot.
        --FCount;
        FUnits[FCount].reset();
        throw;
    }
    FinishAppend(FCount - 1);
    return report;
}

void TFilmPanel::AddRecordUnit(const char* record) {
    if (FCount >= kMaxUnits) return;
    AddUnit();
    GetUnit(FCount - 1).LoadFromRecord(record);
    FinishAppend(FCount - 1);
}

void TFilmPanel::DeleteUnit(int index) {
    if (index < 0 || index >= kMaxUnits || !FUnits[index]) return;
    const int gap = FUnits[index]->Height + FUnitSpacing;
    FUnits[index].reset();
    for (int j = index + 1; j < FCount; ++j) {
        TAnsiImage& unit = *FUnits[j];
        unit.Tag -= 1;
        unit.Top -= gap;
        FUnits[j - 1] = std::move(FUnits[j]);
    }
    FUnits[FCount - 1].reset();
    --FCount;
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
    upper.Top = pairTop;
    lower.Top = pairTop + upper.Height + FUnitSpacing;
    upper.Tag = upperIndex;
    lower.Tag = lowerIndex;
    emit layoutChanged();
    return true;
}

TAnsiImage& TFilmPanel::GetUnit(int index) const {
    Q_ASSERT(index >= 0 && index < FCount);
    return *FUnits[index];
}

void TFilmPanel::SelectUnit(int index) {
    if (index < 0 || index >= FCount) return;
    TAnsiImage& unit = GetUnit(index);
    unit.FSelected = true;
    unit.Render();
    emit unitRendered(index);
    FCurrentIndex = unit.Tag;
    emit unitChanged();
}

void TFilmPanel::UnitClick(TAnsiImage& unit) {
    if (unit.Tag == FCurrentIndex) return;
    if (FCurrentIndex != -1) {
        TAnsiImage& previous = GetUnit(FCurrentIndex);
        previous.FSelected = false;
        previous.Render();
        emit unitRendered(FCurrentIndex);
    }
    SelectUnit(unit.Tag);
}

void TFilmPanel::SetPageColor(TColor color) {
    FPageColor = color;
    for (int j = 0; j < FCount; ++j) {
        FUnits[j]->FPageColor = color;
        FUnits[j]->Render();
        emit unitRendered(j);
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

void TFilmPanel::SetPlayIndex(int index) {
    FPlayIndex = (index >= 0 && index <= FCount - 1) ? index : 0;
}

} // namespace quillet

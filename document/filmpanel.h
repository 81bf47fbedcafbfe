#pragma once

#include "ansiimage.h"

#include <QObject>

#include <array>
#include <memory>

namespace quillet {

// The document: up to 50 units in playing order, laid out one below the other like frames on a
// strip of film, with the current unit, the preview's play position and the values new units
// receive. Headless: a view in the editor shows it and forwards clicks to UnitClick.
class TFilmPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxUnits = 50;

    explicit TFilmPanel(QObject* parent = nullptr);
    ~TFilmPanel() override;

    std::int32_t FCount = 0;
    std::int32_t FCurrentIndex = -1;
    std::int32_t FPlayIndex = 0;
    std::uint8_t FDefaultByteMode = bmAuto;
    std::int32_t FUnitSpacing = 20;
    std::int32_t FUnitMargin = 20;
    TColor FPageColor = 0;
    std::array<std::unique_ptr<TAnsiImage>, kMaxUnits> FUnits;
    QString FDocFileName;
    TColor FDefaultBackColor = 0xFFFFFF;
    TColor FDefaultFontColor = 0x008000;

    // The strip's own size in pixels.
    int Width = 0;
    int Height = 0;

    // Appends a unit imported from a text file and makes it current. Throws FileError when the
    // file cannot be read; the strip is then as it was before the call. Callers check the unit limit
    // first; a full strip is left unchanged.
    ImportReport AddTextUnit(const QString& fileName);
    // Appends a unit loaded from a kRecordSize-byte record and makes it current; a full strip is left
    // unchanged.
    void AddRecordUnit(const char* record);
    void DeleteUnit(int index);
    void ClearUnits();
    // Swaps the unit with its upper (up) or lower neighbour; false when there is none.
    bool MoveUnit(int index, bool up);
    // index must lie in 0 .. FCount - 1.
    TAnsiImage& GetUnit(int index) const;
    // Makes the unit current and emits unitChanged before returning. Indexes outside the strip are
    // ignored.
    void SelectUnit(int index);
    // Click on a unit's picture.
    void UnitClick(TAnsiImage& unit);
    void UpdateWidth();
    // Every unit, present and future, gets the page colour; present ones are redrawn.
    void SetPageColor(TColor color);
    // Position in the byte-mode list ("自动", "单字节", "双字节") to stored mode, and back.
    void SetByteMode(int position);
    int GetByteMode() const;
    void SetPlayIndex(int index);

signals:
    // WM_UNITCHANGED: a unit became current (or the strip was emptied by a command). Delivered
    // synchronously: connect with Qt::DirectConnection.
    void unitChanged();
    // A unit's picture was redrawn.
    void unitRendered(int index);
    // Units were added, removed or moved, or the strip's size changed.
    void layoutChanged();

private:
    void AddUnit();
    void FinishAppend(int index);
    int UnitTop(int index) const;
    int ContentWidth() const;
};

} // namespace quillet

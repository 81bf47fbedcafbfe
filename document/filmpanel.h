#pragma once

#include "ansiimage.h"

#include <QObject>
#include <QRect>
#include <QSize>

#include <array>
#include <memory>
#include <vector>

namespace quillet {

// The document: up to 50 units in playing order, laid out one below the other like frames on a
// strip of film, with the current unit and the values new units receive. Headless: a view in the
// editor shows it and forwards clicks to UnitClick.
//
// The strip changes only through its operations, and it alone says what changed: every operation
// finishes its checks and readings (the only steps that may throw) before it changes anything, then
// emits the signals below for what it did. It computes all layout: each unit's place, the gaps of
// FUnitSpacing pixels between them and the strip's own size.
class TFilmPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxUnits = 50;

    explicit TFilmPanel(QObject* parent = nullptr);
    ~TFilmPanel() override;

    std::int32_t count() const { return FCount; }
    // Index of the current unit, -1 when there is none.
    std::int32_t currentIndex() const { return FCurrentIndex; }
    std::uint8_t defaultByteMode() const { return FDefaultByteMode; }
    std::int32_t unitSpacing() const { return FUnitSpacing; }
    std::int32_t unitMargin() const { return FUnitMargin; }
    TColor pageColor() const { return FPageColor; }
    const QString& docFileName() const { return FDocFileName; }
    TColor defaultBackColor() const { return FDefaultBackColor; }
    TColor defaultFontColor() const { return FDefaultFontColor; }
    // The strip's own size in pixels.
    int width() const { return Width; }
    int height() const { return Height; }
    QSize size() const { return QSize(Width, Height); }
    // index must lie in 0 .. count() - 1.
    const TAnsiImage& GetUnit(int index) const;

    // A blank unit with the values new units receive (default colours, byte mode, page colour), not
    // yet in the strip: fill it, then append it.
    std::unique_ptr<TAnsiImage> NewUnit() const;
    // Appends a unit imported from a text file and makes it current. Throws FileError when the
    // file cannot be read; the import happens before the strip changes, so it is then as it was.
    // Callers check the unit limit first; a full strip is left unchanged.
    ImportReport AddTextUnit(const QString& fileName);
    // Appends a unit loaded from a kRecordSize-byte record and makes it current; a full strip is left
    // unchanged.
    void AddRecordUnit(const char* record);
    // Appends finished units (from NewUnit) one after the other, each becoming current in turn as
    // AddRecordUnit does, while the strip holds fewer than kMaxUnits; the rest are dropped.
    void AppendUnits(std::vector<std::unique_ptr<TAnsiImage>> units);
    // ClearUnits, then AppendUnits: the document becomes the given units.
    void ReplaceUnits(std::vector<std::unique_ptr<TAnsiImage>> units);
    // Inserts finished units (from NewUnit, or taken out by TakeUnits) at `at` (0 .. count()), as
    // many as the strip has room for, in one step: unitsInserted once, then the last inserted
    // becomes current. Returns how many were inserted; the rest are dropped.
    int InsertUnits(int at, std::vector<std::unique_ptr<TAnsiImage>> units);
    // Takes the units first .. first + count - 1 out of the strip in one step and hands them over
    // (InsertUnits puts them back): unitsRemoved once, then the unit now at `first` (the last one
    // when none is) becomes current; an emptied strip sends unitChanged with no current unit.
    // The range must lie in 0 .. count() - 1.
    std::vector<std::unique_ptr<TAnsiImage>> TakeUnits(int first, int count);
    void DeleteUnit(int index);
    void ClearUnits();
    // Swaps the unit with its upper (up) or lower neighbour; false when there is none.
    bool MoveUnit(int index, bool up);
    // Makes the unit current and emits unitChanged before returning. Indexes outside the strip are
    // ignored.
    void SelectUnit(int index);
    // Click on a unit's picture.
    void UnitClick(const TAnsiImage& unit);
    // Gives the unit new lines (SetLines) and default colours (SetBackColor, SetFontColor) in one
    // step; the units after it move by its change in height. index must lie in 0 .. count() - 1.
    void SetUnitContent(int index, const QList<QByteArray>& lines, TColor backColor, TColor fontColor);
    // Gives the unit a whole content state (TAnsiImage::setContent) in one step, with the signals
    // of SetUnitContent. index must lie in 0 .. count() - 1; content.grid holds kRecordSize bytes.
    void RestoreUnitContent(int index, const UnitContent& content);
    using CellWrite = TAnsiImage::CellWrite;
    // A few cells of the unit take new bytes and colours (TAnsiImage::writeCells) in one step, and
    // the unit's extent becomes cols x rows (cut to the grid). Sends unitContentChanged with the
    // rectangle around the written cells. When the extent changes, the rectangle also covers the old
    // and the new extent, the unit takes the size that fits it (FitSize) and the units after it
    // move, as SetUnitContent does. Otherwise the unit's revision grows by exactly one and nothing
    // else is sent, so a view may draw just those cells again (UnitPictures::redrawCells). Writes
    // outside the grid are ignored; with none left and the extent as it was, nothing changes and
    // nothing is sent. index must lie in 0 .. count() - 1.
    void EditCells(int index, const std::vector<CellWrite>& cells, std::int32_t cols, std::int32_t rows);
    // The unit's own duration in milliseconds (0: none; otherwise IsUnitDuration). No picture shows
    // it, so no signal is sent. index must lie in 0 .. count() - 1.
    void SetUnitDuration(int index, std::int32_t milliseconds);
    // Makes the unit current, the only selected one, and sends unitChanged even when it already
    // was current. Indexes outside the strip are ignored.
    void SetCurrentUnit(int index);
    // Every unit, present and future, gets the page colour.
    void SetPageColor(TColor color);
    // Position in the byte-mode list ("自动", "单字节", "双字节") to stored mode, and back.
    void SetByteMode(int position);
    int GetByteMode() const;
    // The default colours units made from now on receive.
    void SetDefaultColors(TColor backColor, TColor fontColor);
    // The file the document was last loaded from or saved to.
    void SetDocFileName(const QString& name);

signals:
    // Units now stand at first .. first + count - 1; those after them moved down.
    void unitsInserted(int first, int count);
    // The units that stood at first .. first + count - 1 are gone; those after them moved up.
    void unitsRemoved(int first, int count);
    // The unit at `from` and its neighbour at `to` swapped places.
    void unitMoved(int from, int to);
    // What the unit's picture shows changed. `cells` is the rectangle of cells (x columns, y rows)
    // whose text or colours may have changed; empty when only the frame did (selection, page colour).
    void unitContentChanged(int index, const QRect& cells);
    // WM_UNITCHANGED: a unit became current (or the strip was emptied by a command). Delivered
    // synchronously: connect with Qt::DirectConnection.
    void unitChanged();
    // The strip's size or the places of its units changed.
    void layoutChanged();

private:
    void UpdateWidth();
    void AppendUnit(std::unique_ptr<TAnsiImage> unit);
    void FinishAppend(int index);
    int UnitTop(int index) const;
    // After a unit at `index` changed its content and height: the later units move, the strip
    // grows or shrinks by the difference, and the layout is announced.
    void FinishContentChange(int index, int oldHeight);
    // Moves the units from `first` on by `shift` pixels and gives them their indexes.
    void ShiftUnits(int first, int shift);
    int ContentWidth() const;
    void setSelected(int index, bool selected);

    std::int32_t FCount = 0;
    std::int32_t FCurrentIndex = -1;
    std::uint8_t FDefaultByteMode = bmAuto;
    std::int32_t FUnitSpacing = 20;
    std::int32_t FUnitMargin = 20;
    TColor FPageColor = 0;
    std::array<std::unique_ptr<TAnsiImage>, kMaxUnits> FUnits;
    QString FDocFileName;
    TColor FDefaultBackColor = 0xFFFFFF;
    TColor FDefaultFontColor = 0x008000;
    int Width = 0;
    int Height = 0;
};

} // namespace quillet

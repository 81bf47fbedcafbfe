#pragma once

#include "ansicell.h"

#include <QList>
#include <QWidget>

#include <cstdint>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QSlider;
class QTimer;

namespace quillet {

class CellEditModel;
class CellEditorView;
class ColorPalette;
class ColorSwatch;
class TFilmPanel;
class UndoHistory;
class UnitPictures;

// The cell editor: the pane that takes the film area's place while the current unit is edited cell
// by cell. A tool bar (the tools, the two chosen colours, their swap, a palette of the document's
// and recently chosen colours, the onion skin), the view, and a status line with the cursor's row
// and column, the zoom, the typing mode and passing messages.
//
// It edits the strip's current unit through its own CellEditModel and shows the pictures the film
// view keeps. It asks for colour dialogs and for being closed through its signals.
class CellEditorPane : public QWidget {
    Q_OBJECT
public:
    // Tags of the two chosen-colour swatches, as colorPickRequested names them.
    static constexpr int kTextColorTag = 1;
    static constexpr int kBackColorTag = 2;
    // Colours of the document the palette shows, and chosen colours it remembers.
    static constexpr int kDocumentColors = 16;
    static constexpr int kRecentColors = 8;
    // How long a message stays in the status line.
    static constexpr int kMessageMilliseconds = 4000;

    CellEditorPane(TFilmPanel& strip, UndoHistory& history, UnitPictures& pictures, QWidget* parent = nullptr);
    ~CellEditorPane() override;

    CellEditModel& model() { return *m_model; }
    CellEditorView* view() const { return m_view; }

    // Starts editing the current unit: the cursor at its first cell, nothing selected, its default
    // text and background colours chosen, the palette read from the document, the focus in the view.
    void open();
    // A unit became current while the editor is open. When it is another unit than the one shown,
    // the view shows it, the selection goes and the chosen colours stay.
    void followCurrentUnit();
    // The colour dialog's answer for the swatch of `tag`; the colour joins the recent colours.
    void chooseColor(int tag, TColor color);

signals:
    // 完成, or Escape in the view with nothing selected.
    void closeRequested();
    // A chosen-colour swatch was clicked: the user asks for a colour in place of `current`.
    void colorPickRequested(int tag, TColor current);

private:
    QWidget* buildToolRow();
    QWidget* buildColorRow();
    QWidget* buildOnionRow();
    QWidget* buildStatusRow();
    void showColors();
    void showPalette();
    void showStatus();
    void showMessage(const QString& text);
    void applyOnionSkin();

    const TFilmPanel& m_strip;
    std::unique_ptr<CellEditModel> m_model;
    CellEditorView* m_view;
    QButtonGroup* m_tools = nullptr;
    ColorSwatch* m_textSwatch = nullptr;
    ColorSwatch* m_backSwatch = nullptr;
    ColorPalette* m_palette = nullptr;
    QCheckBox* m_onionPrevious = nullptr;
    QCheckBox* m_onionNext = nullptr;
    QSlider* m_onionOpacity = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_zoom = nullptr;
    QLabel* m_mode = nullptr;
    QLabel* m_message = nullptr;
    QTimer* m_messageTimer = nullptr;
    QList<TColor> m_recent;     // chosen in the dialog, the latest first
    std::uint64_t m_unitId = 0; // the unit shown (0: none)
};

} // namespace quillet

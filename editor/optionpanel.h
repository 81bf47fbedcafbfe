#pragma once

#include "ansicell.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillet {

class ColorSwatch;
class UnappliedEdits;

// What the page options group shows: the texts as typed, the box and the byte mode's index.
struct PageFields {
    QString title;
    QString backColor;
    QString fontColor;
    bool showButtons = false;
    int byteMode = -1;
};

// A background and a text colour, as a swatch pair holds them.
struct ColorPair {
    TColor back = 0;
    TColor font = 0;
};

// The option panel at the right of the main window: page options, unit defaults and the current
// unit's text and colours, each group with its own confirm button. It shows what it is given and
// tells through its signals what the user asked for; the values typed are read through it. Beyond
// its controls it keeps only what its current-unit fields showed when they were last filled.
class OptionPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 279;

    explicit OptionPanel(QWidget* parent = nullptr);
    ~OptionPanel() override;

    // kWidth wide, or as wide as the captions and buttons need when their texts (a translation's)
    // do not fit.
    QSize sizeHint() const override;

    // Page options. Showing them sets each swatch from its typed text.
    PageFields pageFields() const;
    void showPageFields(const PageFields& fields);
    void showByteMode(int index);
    // The swatches take the colours their texts name; returns the page colour then held.
    TColor takeTypedPageColors();
    // The page colour's swatch.
    TColor pageColor() const;

    // Unit defaults: their swatches (the texts only show them).
    ColorPair unitDefaults() const;
    void showUnitDefaults(ColorPair colors);

    // The current unit's group: filled from a unit and enabled, or blank and disabled without one.
    // Either way the fields then count as holding no unapplied change. A duration of 0 (none)
    // shows as an empty field.
    void showUnit(ColorPair colors, const QString& text, std::int32_t duration);
    void showNoUnit();
    // The text box's lines: a line break after the last line ends that line and opens none.
    QString unitText() const;
    // The unit swatches take the colours their texts name; returns them.
    ColorPair takeTypedUnitColors();
    // The duration typed: 0 for an empty field (the document speed), the milliseconds for a whole
    // number from kMinUnitDuration to kMaxUnitDuration; nothing for any other text.
    std::optional<std::int32_t> typedDuration() const;
    // The fields were just applied to the unit: they hold no unapplied change.
    void settleUnitFields();
    // True when the text, a colour text or the duration differs from what was last filled or applied.
    bool unitFieldsPending() const;
    // True when of those only the duration does.
    bool unitDurationOnlyPending() const;

    // Shows a picked colour in the swatch of that Tag and its text.
    void showPickedColor(int tag, TColor color);

signals:
    // A swatch was clicked: the user asks for a colour in place of `current`.
    void colorPickRequested(int tag, TColor current);
    void applyPageOptionsRequested();
    void resetPageOptionsRequested();
    void applyUnitDefaultsRequested();
    void resetUnitDefaultsRequested();
    void applyUnitRequested();

public:
    // The controls; each has its member's name as object name.

    // "全局选项": page title, page colours, control buttons, byte mode of new units.
    QGroupBox* Box_FP;
    QLabel* bsSkinStdLabel_title;
    QLineEdit* Edit_Title;
    QLabel* bsSkinStdLabel_colorset;
    ColorSwatch* Lb_Color1;
    QLineEdit* Edit_color1;
    QLabel* bsSkinStdLabel2;
    ColorSwatch* Lb_Color2;
    QLineEdit* Edit_color2;
    QCheckBox* CR_Button;
    QLabel* bsSkinStdLabel5;
    QComboBox* CB_ByteMode;
    QPushButton* bsBtnHReset;
    QPushButton* bsBtnHOK;

    // "单元默认选项": colours given to units added later.
    QGroupBox* Box_UnitDefault;
    QLabel* bsSkinStdLabel6;
    ColorSwatch* Lb_Color_Df1;
    QLineEdit* Edit_color_Df1;
    QLabel* bsSkinStdLabel7;
    ColorSwatch* Lb_Color_Df2;
    QLineEdit* Edit_color_Df2;
    QPushButton* bsBtn_DfReset;
    QPushButton* bsBtn_DfOk;

    // "当前单元选项": the current unit's lines and default colours.
    QGroupBox* Box_AImg;
    QLabel* TextCaption;
    QPlainTextEdit* MemoText;
    QLabel* bsSkinStdLabel3;
    ColorSwatch* Lb_Color_u1;
    QLineEdit* Edit_color_u1;
    QLabel* bsSkinStdLabel4;
    ColorSwatch* Lb_Color_u2;
    QLineEdit* Edit_color_u2;
    // "时长": the unit's own duration in milliseconds, empty for the document speed.
    QLabel* durationLabel;
    QLineEdit* durationEdit;
    QPushButton* bsBtnPOK;

    // The six swatches in Tag order 1..6.
    QList<ColorSwatch*> swatches() const;

private:
    void buildPageOptions();
    void buildUnitDefaults();
    void buildCurrentUnit();
    // The current unit's colours, duration and confirm button below its text box.
    QWidget* buildUnitFields(QWidget* group);
    // Tab walks each group's fields in reading order, then its check box and buttons.
    void setFieldOrder();
    void connectControls();
    void showUnitColorTexts();

    std::unique_ptr<UnappliedEdits> m_unitEdits;
};

} // namespace quillet

#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillet {

class ColorSwatch;

// The option panel at the right of the main window: page options, unit defaults and the current
// unit's text and colours, each group with its own confirm button. The window connects the
// buttons and swatches to its handlers; the panel itself keeps no state beyond its controls.
class OptionPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 279;

    explicit OptionPanel(QWidget* parent = nullptr);

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
    QPushButton* bsBtnPOK;

    // The six swatches in Tag order 1..6.
    QList<ColorSwatch*> swatches() const;

private:
    void buildPageOptions();
    void buildUnitDefaults();
    void buildCurrentUnit();
};

} // namespace quillet

#pragma once

#include "ansicell.h"

#include <QLabel>

namespace quillet {

// A small borderless label whose background is the colour it holds; clicking it, or Space or Enter
// while it has the focus (Tab gives it), asks for a new colour. Tag tells the swatches apart in
// their shared click handler. Assistive technology hears it as a button named by its caption and
// its colour's six hexadecimal digits ("单元底色 FFFFFF").
class ColorSwatch : public QLabel {
    Q_OBJECT
public:
    ColorSwatch(int tag, QWidget* parent = nullptr);

    int Tag;

    TColor color() const { return m_color; }
    // Shows the colour (0x00BBGGRR; the system-colour bit is ignored for display).
    void setColor(TColor color);
    // What the colour is for, e.g. "单元底色": the first part of the accessible name.
    void setCaption(const QString& caption);
    const QString& caption() const { return m_caption; }

signals:
    void clicked(ColorSwatch* swatch);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateAccessibleName();

    TColor m_color = 0;
    QString m_caption;
};

} // namespace quillet

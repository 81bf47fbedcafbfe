#pragma once

#include "ansicell.h"

#include <QLabel>

namespace quillet {

// A small borderless label whose background is the colour it holds; clicking it asks for a new
// colour. Tag tells the swatches apart in their shared click handler.
class ColorSwatch : public QLabel {
    Q_OBJECT
public:
    ColorSwatch(int tag, QWidget* parent = nullptr);

    int Tag;

    TColor color() const { return m_color; }
    // Shows the colour (0x00BBGGRR; the system-colour bit is ignored for display).
    void setColor(TColor color);

signals:
    void clicked(ColorSwatch* swatch);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColor m_color = 0;
};

} // namespace quillet

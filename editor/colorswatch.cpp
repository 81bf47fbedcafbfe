#include "colorswatch.h"

#include "colorconvert.h"

#include <QMouseEvent>

namespace quillet {

ColorSwatch::ColorSwatch(int tag, QWidget* parent) : QLabel(parent), Tag(tag) {
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    setColor(0);
}

void ColorSwatch::setColor(TColor color) {
    m_color = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColorOf(color));
    setPalette(pal);
}

void ColorSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked(this);
    QLabel::mousePressEvent(event);
}

} // namespace quillet

#include "colorswatch.h"

#include <QMouseEvent>

namespace quillet {

ColorSwatch::ColorSwatch(int tag, QWidget* parent) : QLabel(parent), Tag(tag) {
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    setColor(0);
}

void ColorSwatch::setColor(TColor color) {
    m_color = color;
    const auto v = static_cast<std::uint32_t>(color);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                                          static_cast<int>((v >> 16) & 0xFF)));
    setPalette(pal);
}

void ColorSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked(this);
    QLabel::mousePressEvent(event);
}

} // namespace quillet

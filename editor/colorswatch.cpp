#include "colorswatch.h"

#include "colorconvert.h"
#include "colorhex.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace quillet {

namespace {

// A swatch is a button to assistive technology: its press action opens the colour dialog as a
// click does.
class SwatchAccessible : public QAccessibleWidget {
public:
    explicit SwatchAccessible(ColorSwatch* swatch) : QAccessibleWidget(swatch, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        auto* swatch = static_cast<ColorSwatch*>(widget());
        if (name == pressAction() && swatch->isEnabled()) emit swatch->clicked(swatch);
    }
};

QAccessibleInterface* swatchAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(ColorSwatch::staticMetaObject.className())) return nullptr;
    auto* swatch = qobject_cast<ColorSwatch*>(object);
    return swatch ? new SwatchAccessible(swatch) : nullptr;
}

} // namespace

ColorSwatch::ColorSwatch(int tag, QWidget* parent) : QLabel(parent), Tag(tag) {
    static const bool factoryInstalled = (QAccessible::installFactory(swatchAccessible), true);
    Q_UNUSED(factoryInstalled);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAutoFillBackground(true);
    setAccessibleDescription(tr("按空格键或回车键选择颜色"));
    setColor(0);
}

void ColorSwatch::setColor(TColor color) {
    m_color = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColorOf(color));
    setPalette(pal);
    updateAccessibleName();
}

void ColorSwatch::setCaption(const QString& caption) {
    m_caption = caption;
    updateAccessibleName();
}

void ColorSwatch::updateAccessibleName() {
    const QString hex = ColorToHex(m_color);
    setAccessibleName(m_caption.isEmpty() ? hex : m_caption + QLatin1Char(' ') + hex);
}

void ColorSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked(this);
    QLabel::mousePressEvent(event);
}

void ColorSwatch::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (plain && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        if (!event->isAutoRepeat()) emit clicked(this);
        return;
    }
    QLabel::keyPressEvent(event);
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // The focus shows as the style's focus frame, inside the swatch.
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

} // namespace quillet

#include "colorpalette.h"

#include "colorconvert.h"
#include "colorhex.h"
#include "filmpanel.h"

#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <utility>
#include <vector>

namespace quillet {

QList<TColor> DocumentColors(const TFilmPanel& strip, int limit) {
    QHash<TColor, int> counts;
    for (int k = 0; k < strip.count(); ++k) {
        const TAnsiImage& unit = strip.GetUnit(k);
        for (int r = 0; r < unit.rows(); ++r) {
            for (int c = 0; c < unit.cols(); ++c) {
                const TAnsiCell& cell = unit.cell(r, c);
                ++counts[cell.FontColor];
                ++counts[cell.BackColor];
            }
        }
    }
    std::vector<std::pair<TColor, int>> ranked;
    ranked.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        ranked.emplace_back(it.key(), it.value());
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    QList<TColor> colors;
    for (const auto& entry : ranked) {
        if (colors.size() >= limit) break;
        colors << entry.first;
    }
    return colors;
}

ColorPalette::ColorPalette(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("cellPalette"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("左键：文字颜色；右键：背景颜色"));
    setFocusPolicy(Qt::TabFocus);
    setAccessibleDescription(tr("方向键选择颜色；回车键或空格键设为文字颜色，加 Shift 设为背景颜色"));
    setCurrent(0);
}

void ColorPalette::setColors(const QList<TColor>& colors) {
    m_colors = colors;
    setCurrent(m_current);
    update();
}

void ColorPalette::setCurrent(int index) {
    m_current = qBound(0, index, qMax(0, static_cast<int>(m_colors.size()) - 1));
    const QString name = tr("颜色板");
    setAccessibleName(m_colors.isEmpty() ? name : name + QLatin1Char(' ') + ColorToHex(m_colors[m_current]));
    update();
}

int ColorPalette::shownCount() const {
    int shown = 0;
    while (shown < m_colors.size() && swatchRect(shown).right() <= width())
        ++shown;
    return shown;
}

QRect ColorPalette::swatchRect(int index) const {
    return QRect(index * (kSwatchSize + kGap), (height() - kSwatchSize) / 2, kSwatchSize, kSwatchSize);
}

QSize ColorPalette::sizeHint() const {
    return QSize(static_cast<int>(m_colors.size()) * (kSwatchSize + kGap), kSwatchSize + 2);
}

QSize ColorPalette::minimumSizeHint() const {
    return QSize(4 * (kSwatchSize + kGap), kSwatchSize + 2);
}

int ColorPalette::indexAt(const QPoint& point) const {
    for (int k = 0; k < m_colors.size(); ++k) {
        if (swatchRect(k).contains(point)) return k;
    }
    return -1;
}

void ColorPalette::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    for (int k = 0; k < m_colors.size(); ++k) {
        const QRect r = swatchRect(k);
        if (r.right() > width()) break;
        painter.fillRect(r, QColorOf(m_colors[k]));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (!hasFocus() || m_current >= shownCount()) return;
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = swatchRect(m_current).adjusted(-1, -1, 1, 1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

void ColorPalette::mousePressEvent(QMouseEvent* event) {
    const int index = indexAt(event->position().toPoint());
    if (index < 0 || swatchRect(index).right() > width()) return;
    if (event->button() == Qt::LeftButton) emit textColorChosen(m_colors[index]);
    if (event->button() == Qt::RightButton) emit backColorChosen(m_colors[index]);
}

void ColorPalette::keyPressEvent(QKeyEvent* event) {
    const int shown = shownCount();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (shown == 0 || (modifiers & ~Qt::ShiftModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrent(qMin(m_current, shown - 1) - 1);
        break;
    case Qt::Key_Right:
        setCurrent(qMin(m_current + 1, shown - 1));
        break;
    case Qt::Key_Home:
        setCurrent(0);
        break;
    case Qt::Key_End:
        setCurrent(shown - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_current >= shown) setCurrent(shown - 1);
        if (modifiers & Qt::ShiftModifier)
            emit backColorChosen(m_colors[m_current]);
        else
            emit textColorChosen(m_colors[m_current]);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace quillet

#include "colorpalette.h"

#include "colorconvert.h"
#include "filmpanel.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>

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
}

void ColorPalette::setColors(const QList<TColor>& colors) {
    m_colors = colors;
    update();
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
}

void ColorPalette::mousePressEvent(QMouseEvent* event) {
    const int index = indexAt(event->position().toPoint());
    if (index < 0 || swatchRect(index).right() > width()) return;
    if (event->button() == Qt::LeftButton) emit textColorChosen(m_colors[index]);
    if (event->button() == Qt::RightButton) emit backColorChosen(m_colors[index]);
}

} // namespace quillet

#pragma once

#include "ansicell.h"

#include <QList>
#include <QWidget>

namespace quillet {

class TFilmPanel;

// The text and background colours the strip's cells use (every unit's used extent), the most used
// first (equal counts by colour value), at most `limit` of them.
QList<TColor> DocumentColors(const TFilmPanel& strip, int limit);

// A row of small colour swatches, as many as fit, left to right. A left click asks for the swatch's
// colour as the text colour, a right click as the background colour. From the keyboard (Tab gives
// it the focus) the arrow keys, Home and End pick a swatch, Enter or Space asks for its colour as
// the text colour, with Shift as the background colour; its accessible name says that colour.
class ColorPalette : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSwatchSize = 14;
    static constexpr int kGap = 2;

    explicit ColorPalette(QWidget* parent = nullptr);

    const QList<TColor>& colors() const { return m_colors; }
    void setColors(const QList<TColor>& colors);
    // Where swatch `index` is drawn, in the palette's coordinates.
    QRect swatchRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void textColorChosen(TColor color);
    void backColorChosen(TColor color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int indexAt(const QPoint& point) const;
    // How many swatches fit the palette's width.
    int shownCount() const;
    void setCurrent(int index);

    QList<TColor> m_colors;
    int m_current = 0; // the swatch the keys pick, drawn with the focus frame while focused
};

} // namespace quillet

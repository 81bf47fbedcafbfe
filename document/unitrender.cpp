#include "ansiimage.h"

#include <QPainter>
#include <QStringDecoder>

namespace quillet {

namespace {

QRgb toRgb(TColor color) {
    // System colours have no meaning without a windowing system: only the colour bits count.
    const auto c = static_cast<std::uint32_t>(color);
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

} // namespace

void TAnsiImage::DrawFrame() {
    const int w = Width;
    const int h = Height;
    QPainter p(&Picture);
    p.setPen(QPen(Qt::black, 0));
    auto box = [&](int x1, int y1, int x2, int y2, QRgb fill, bool ellipse) {
        p.setBrush(QColor(fill));
        if (ellipse)
            p.drawEllipse(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
        else
            p.drawRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
    };
    box(0, 0, w, h, qRgb(0, 0, 0), false);
    box(20, 0, w - 20, h, toRgb(FPageColor), false);
    box(20, 10, w - 20, h - 10, toRgb(FBackColor), false);
    const QRgb hole = FSelected ? qRgb(255, 0, 0) : qRgb(255, 255, 255);
    for (int k = 0; k <= h / 28; ++k) {
        box(3, 28 * k + 7, 17, 28 * k + 21, hole, true);
        box(w - 17, 28 * k + 7, w - 3, 28 * k + 21, hole, true);
    }
}

void TAnsiImage::Render() {
    Picture = QImage(Width, Height, QImage::Format_RGB32);
    Picture.fill(Qt::white);
    DrawFrame();
    QFont font;
    font.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei Sharp")});
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::NoAntialias);
    QPainter p(&Picture);
    p.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    QStringDecoder gbk("GBK");
    const bool dbl = IsDoubleByte();
    for (int r = 0; r < FRows; ++r) {
        for (int j = 0; j < FCols; ++j) {
            const QByteArray text = CellText(r, j);
            if (text.isEmpty())
                continue;
            const TAnsiCell& c = cell(r, j);
            const QRect box(dbl ? 21 + 12 * j : 21 + 6 * j, 11 + 12 * r, 6 * text.size(), 12);
            p.fillRect(box, QColor(toRgb(c.BackColor)));
            p.setPen(QColor(toRgb(c.FontColor)));
            p.setClipRect(box);
            p.drawText(box.x(), box.y() + ascent, gbk.decode(text));
            p.setClipping(false);
        }
    }
}

} // namespace quillet

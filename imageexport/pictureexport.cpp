#include "pictureexport.h"

#include "fileerror.h"
#include "filmpanel.h"
#include "glyphcache.h"
#include "inorder.h"
#include "unitrender.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

namespace quillet {

namespace {

QByteArray pngBytes(const QImage& picture, const QString& nameForErrors) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(50); // a middle zlib level: twice as fast as the default, files barely larger
    if (!writer.write(picture)) throw FileError(nameForErrors, writer.errorString());
    return bytes;
}

} // namespace

QImage DrawTextArea(const TAnsiImage& unit, const GlyphCache& glyphs) {
    const QRect textArea = unit.TextArea();
    if (textArea.isEmpty()) return QImage();
    // Each thread draws over its own picture: a full unit's is 5 MB, not worth mapping anew.
    static thread_local QImage picture;
    RenderUnit(unit, glyphs, picture);
    return picture.copy(textArea);
}

void EncodePictures(const TFilmPanel& strip, const std::function<QString(int index)>& nameOf, const PictureSink& write,
                    const ExportControl& control) {
    GlyphCache& cache = GlyphCache::instance();
    for (int i = 0; i < strip.count(); ++i)
        PrepareGlyphs(strip.GetUnit(i), cache);
    const GlyphCache& glyphs = cache;
    RunInOrder<QByteArray>(
        strip.count(),
        [&](int i) {
            const QImage area = DrawTextArea(strip.GetUnit(i), glyphs);
            return area.isNull() ? QByteArray() : pngBytes(area, nameOf(i));
        },
        [&](int i, QByteArray& png) { write(i, png); }, control);
}

} // namespace quillet

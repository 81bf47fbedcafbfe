#pragma once

#include "animationwriter.h"

#include <QByteArray>
#include <QImage>

#include <functional>

namespace quillet {

class GlyphCache;
class TAnsiImage;
class TFilmPanel;

// The unit's text area as the picture export shows it (a null picture when it is empty). Any
// thread, once PrepareGlyphs has made the unit's glyphs on glyphs.
QImage DrawTextArea(const TAnsiImage& unit, const GlyphCache& glyphs);

// The picture export's file of one unit: its text area as a PNG, or empty bytes for a unit whose
// text area is empty (it gets no picture).
using PictureSink = std::function<void(int index, const QByteArray& png)>;

// Draws and encodes every unit's text area as PNG on ThreadCount(control) threads and hands the
// files to write(index, bytes) on the calling thread, in the strip's order. The bytes do not depend
// on the number of threads. Prepares the glyphs, so user-interface thread only. An encoding failure
// throws FileError naming nameOf(index); an exception from write stops the run and is rethrown.
void EncodePictures(const TFilmPanel& strip, const std::function<QString(int index)>& nameOf, const PictureSink& write,
                    const ExportControl& control);

} // namespace quillet

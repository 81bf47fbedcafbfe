#pragma once

#include <QByteArray>

#include <cstdint>

namespace quillet {

// What a page is written with besides the document: a value the settings read and write, the
// option panel and the preview change, and the page writer takes for one page. The texts are bytes
// in the code page (GBK) as typed; none is validated or normalised.
struct PageOptions {
    QByteArray title;         // the document title and the heading; not kept between runs
    QByteArray backColorHex;  // the page background colour, written after "#" as held
    QByteArray fontColorHex;  // the page text colour, written after "#" as held
    std::int32_t speed = 0;   // the frame delay in milliseconds
    bool showButtons = false; // the template's control-button line instead of the plain one

    friend bool operator==(const PageOptions& a, const PageOptions& b) {
        return a.title == b.title && a.backColorHex == b.backColorHex && a.fontColorHex == b.fontColorHex &&
               a.speed == b.speed && a.showButtons == b.showButtons;
    }
};

} // namespace quillet

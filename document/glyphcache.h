#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quillet {

// The inked pixels of what one cell shows, cut to the cell's text box: 12 rows of 12 pixels, bit x
// of a row set where column x takes the text colour, clear where the box's background shows. A box
// one byte wide uses columns 0 to 5 only.
struct GlyphMask {
    static constexpr int kSize = 12;
    std::uint16_t rows[kSize];
};

// Process-wide store of glyph masks, keyed by the bytes a cell shows: a single byte (drawn in a
// 6 x 12 box) or a double-byte pair (12 x 12 box). A pair that is one GBK character is one glyph;
// any other pair is its two bytes side by side, 6 pixels each. A byte or pair that does not decode
// (lone lead byte, control byte, invalid pair) or that neither font has shows the font's
// replacement character. The byte 0 is no character: its mask is empty.
//
// Glyphs come from "AR PL UMing CN" at 12 pixels without antialiasing (its bitmap strikes), then
// "WenQuanYi Zen Hei Sharp" for characters it lacks. Masks are made on request (PrepareGlyphs in
// unitrender.h) and kept for the life of the process. instance(), make() and clear() run on the
// user-interface thread only; find() may run on any thread as long as none of those runs meanwhile,
// so pictures can be drawn on other threads from glyphs prepared beforehand. Without a
// QGuiApplication there are no fonts: masks made then are empty (with a warning), and made again
// once one exists.
class GlyphCache {
public:
    // Keys 0 to 255 are single bytes; 256 + (first << 8 | second) is a pair whose first byte is not 0.
    using Key = std::uint32_t;
    static constexpr Key kPairBase = 256;
    static constexpr Key kKeyCount = kPairBase + 65536;
    static constexpr Key singleKey(std::uint8_t byte) { return byte; }
    static constexpr Key pairKey(std::uint8_t first, std::uint8_t second) {
        return kPairBase + (static_cast<Key>(first) << 8 | second);
    }

    // The process's cache. Fetch it anew for each render: masks made before a QGuiApplication
    // existed are forgotten here once one does.
    static GlyphCache& instance();

    GlyphCache();
    ~GlyphCache();
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    // The mask for a key, or nullptr when it has not been made yet.
    const GlyphMask* find(Key key) const { return m_made[key] ? &m_masks[key] : nullptr; }
    // Makes the masks of all the keys in one pass over the fonts; keys already made are skipped.
    void make(const std::vector<Key>& keys);
    // Forgets every mask (the next use makes them again).
    void clear();
    // Number of masks made.
    int size() const { return m_count; }

private:
    struct Fonts;
    std::unique_ptr<Fonts> m_fonts;
    std::vector<GlyphMask> m_masks;   // kKeyCount entries, indexed by key
    std::vector<std::uint8_t> m_made; // 1 where m_masks holds a made mask
    int m_count = 0;
};

} // namespace quillet

#include "glyphcache.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QStringDecoder>
#include <QtDebug>

#include <iconv.h>

#include <algorithm>

namespace quillet {

namespace {

const QString kPrimaryFamily = QStringLiteral("AR PL UMing CN");
const QString kFallbackFamily = QStringLiteral("WenQuanYi Zen Hei Sharp");
constexpr char16_t kReplacement = 0xFFFD;

// GBK to UTF-16 through Qt's converter, or glibc's iconv where Qt has no GBK.
class GbkDecoder {
public:
    GbkDecoder() : m_qt("GBK", QStringConverter::Flag::Stateless) {
        if (!m_qt.isValid()) m_iconv = iconv_open("UTF-16LE", "GBK");
    }
    ~GbkDecoder() {
        if (m_iconv != invalidIconv()) iconv_close(m_iconv);
    }
    GbkDecoder(const GbkDecoder&) = delete;
    GbkDecoder& operator=(const GbkDecoder&) = delete;

    // The characters of the bytes; empty when they are not valid GBK (or no converter exists).
    QString decode(const QByteArray& bytes) {
        if (m_qt.isValid()) {
            // The error flag outlives resetState(): a bad sequence shows as U+FFFD or as nothing.
            m_qt.resetState();
            const QString text = m_qt.decode(bytes);
            return text.contains(QChar(kReplacement)) ? QString() : text;
        }
        if (m_iconv == invalidIconv()) return {};
        iconv(m_iconv, nullptr, nullptr, nullptr, nullptr);
        char16_t out[8];
        char* in = const_cast<char*>(bytes.constData());
        size_t inLeft = static_cast<size_t>(bytes.size());
        char* outPtr = reinterpret_cast<char*>(out);
        size_t outLeft = sizeof out;
        if (iconv(m_iconv, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return {};
        return QString::fromUtf16(out, static_cast<qsizetype>((sizeof out - outLeft) / sizeof(char16_t)));
    }

private:
    static iconv_t invalidIconv() { return reinterpret_cast<iconv_t>(-1); }
    QStringDecoder m_qt;
    iconv_t m_iconv = invalidIconv();
};

// A character a cell may show as it is: printable, not a private-use code that only stands for
// an undefined byte sequence.
bool isShowable(char16_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == kReplacement) return false;
    if (c >= 0xD800 && c <= 0xF8FF) // surrogates and the private-use area
        return false;
    return true;
}

bool hasGuiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// One piece of text to draw into a slot of the scratch strip, at column x of the slot's box.
struct DrawOp {
    int slot;
    int x;
    int width;
    QString text;
};

} // namespace

struct GlyphCache::Fonts {
    bool usable = false;
    QFont font;
    QRawFont primary;
    QRawFont fallback;
    int ascent = 0;
    GbkDecoder gbk;

    Fonts() {
        if (!hasGuiApplication()) {
            qWarning("quillet: no QGuiApplication, cell text is drawn without glyphs");
            return;
        }
        usable = true;
        font.setFamilies({kPrimaryFamily, kFallbackFamily});
        font.setPixelSize(GlyphMask::kSize);
        font.setStyleStrategy(QFont::NoAntialias);
        ascent = QFontMetrics(font).ascent();
        primary = QRawFont::fromFont(single(kPrimaryFamily));
        fallback = QRawFont::fromFont(single(kFallbackFamily));
    }

    QFont single(const QString& family) const {
        QFont f(family);
        f.setPixelSize(GlyphMask::kSize);
        f.setStyleStrategy(QFont::NoAntialias);
        return f;
    }

    // What to draw for one decoded character: itself when a font has it, else the replacement.
    QString glyphText(char16_t c) const {
        if (isShowable(c) && (primary.supportsCharacter(c) || fallback.supportsCharacter(c))) return QString(QChar(c));
        return QString(QChar(kReplacement));
    }

    // The text of one byte shown alone; empty for the byte 0 and the space.
    QString byteText(std::uint8_t byte) {
        if (byte == 0 || byte == 0x20) return {};
        const QString decoded = gbk.decode(QByteArray(1, static_cast<char>(byte)));
        return glyphText(decoded.size() == 1 ? decoded.at(0).unicode() : kReplacement);
    }

    // Appends what a key draws into `slot`.
    void addOps(Key key, int slot, std::vector<DrawOp>& ops) {
        if (key < kPairBase) {
            ops.push_back({slot, 0, 6, byteText(static_cast<std::uint8_t>(key))});
            return;
        }
        const auto first = static_cast<std::uint8_t>((key - kPairBase) >> 8);
        const auto second = static_cast<std::uint8_t>(key - kPairBase);
        if (first > 0x80 && second != 0) {
            QByteArray pair;
            pair.append(static_cast<char>(first)).append(static_cast<char>(second));
            const QString decoded = gbk.decode(pair);
            if (decoded.size() == 1) {
                ops.push_back({slot, 0, 12, glyphText(decoded.at(0).unicode())});
                return;
            }
        }
        ops.push_back({slot, 0, 6, byteText(first)});
        ops.push_back({slot, 6, 6, byteText(second)});
    }
};

GlyphCache& GlyphCache::instance() {
    static GlyphCache cache;
    if (cache.m_fonts && !cache.m_fonts->usable && hasGuiApplication()) {
        cache.clear(); // the masks made without fonts are empty
        cache.m_fonts.reset();
    }
    return cache;
}

GlyphCache::GlyphCache() : m_masks(kKeyCount), m_made(kKeyCount, 0) {}

GlyphCache::~GlyphCache() = default;

void GlyphCache::clear() {
    std::fill(m_made.begin(), m_made.end(), 0);
    m_count = 0;
}

void GlyphCache::make(const std::vector<Key>& keys) {
    if (!m_fonts) m_fonts = std::make_unique<Fonts>();
    constexpr int kSlots = 256;
    constexpr int kSize = GlyphMask::kSize;
    QImage strip;
    std::vector<DrawOp> ops;
    std::vector<Key> batch;
    auto flush = [&] {
        if (m_fonts->usable && !batch.empty()) {
            strip.fill(Qt::black);
            QPainter painter(&strip);
            painter.setFont(m_fonts->font);
            painter.setPen(Qt::white);
            for (const DrawOp& op : ops) {
                if (op.text.isEmpty()) continue;
                const int x = op.slot * kSize + op.x;
                painter.setClipRect(x, 0, op.width, kSize);
                painter.drawText(x, m_fonts->ascent, op.text);
            }
        }
        for (std::size_t slot = 0; slot < batch.size(); ++slot) {
            GlyphMask& glyph = m_masks[batch[slot]];
            for (int y = 0; y < kSize; ++y) {
                std::uint16_t bits = 0;
                if (m_fonts->usable) {
                    const auto* line = reinterpret_cast<const QRgb*>(strip.constScanLine(y)) + slot * kSize;
                    for (int x = 0; x < kSize; ++x)
                        bits |= static_cast<std::uint16_t>(qGreen(line[x]) >= 0x80) << x;
                }
                glyph.rows[y] = bits;
            }
            m_made[batch[slot]] = 1;
            ++m_count;
        }
        ops.clear();
        batch.clear();
    };
    for (Key key : keys) {
        // A key seen earlier in this call is already made, or waits in the batch.
        if (key >= kKeyCount || m_made[key] || std::find(batch.begin(), batch.end(), key) != batch.end()) continue;
        if (strip.isNull() && m_fonts->usable) strip = QImage(kSlots * kSize, kSize, QImage::Format_RGB32);
        m_fonts->addOps(key, static_cast<int>(batch.size()), ops);
        batch.push_back(key);
        if (static_cast<int>(batch.size()) == kSlots) flush();
    }
    flush();
}

} // namespace quillet

#include "unitclipboard.h"

#include "fileerror.h"
#include "payloadbytes.h"
#include "filmpanel.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

constexpr char kMagic[] = "QLTUNITS";
constexpr int kMagicSize = 8;
// Version 1 has no durations; version 2, written only when some unit has a duration of its own,
// follows each unit's flags with it.
constexpr std::uint32_t kVersion = 2;
constexpr std::uint32_t kVersionWithoutDurations = 1;
constexpr int kHeaderSize = kMagicSize + 4 + 4; // magic, version, count
constexpr int kCrcSize = 4;
constexpr int kMaxNameBytes = 4096;
constexpr int kUnitFieldsSize = 4 * 4 + 4; // extent, colours; byte mode, colour flag, two zero bytes
constexpr qsizetype kMaxUnitSize = 4 + kMaxNameBytes + kUnitFieldsSize + 4 + kRecordSize;
constexpr qsizetype kMaxPayloadSize = kHeaderSize + TFilmPanel::kMaxUnits * kMaxUnitSize + kCrcSize;
constexpr char kTruncatedText[] = QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据不完整：数据在结尾之前中断");

QString clipboardName() {
    return QCoreApplication::translate("quillet::UnitClipboard", "剪贴板");
}

[[noreturn]] void refuse(const char* description) {
    throw FileError(clipboardName(), QCoreApplication::translate("quillet::UnitClipboard", description));
}

// Reads the payload front to back; every read past its end is a truncated payload.
class PayloadReader {
public:
    PayloadReader(const char* data, qsizetype size) : m_data(data), m_size(size) {}
    qsizetype position() const { return m_pos; }
    const char* take(qsizetype n) {
        if (n < 0 || n > m_size - m_pos) refuse(kTruncatedText);
        const char* at = m_data + m_pos;
        m_pos += n;
        return at;
    }
    std::uint32_t u32() { return qFromLittleEndian<std::uint32_t>(take(4)); }
    std::int32_t i32() { return qFromLittleEndian<std::int32_t>(take(4)); }
    std::uint8_t u8() { return static_cast<std::uint8_t>(*take(1)); }

private:
    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

// The payload's version, once the header has been checked.
std::uint32_t checkHeader(const QByteArray& bytes) {
    const qsizetype prefix = std::min<qsizetype>(bytes.size(), kMagicSize);
    if (prefix == 0 || std::memcmp(bytes.constData(), kMagic, static_cast<std::size_t>(prefix)) != 0)
        refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "不是Quillet的单元数据"));
    if (bytes.size() > kMaxPayloadSize)
        refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据过大：超过50个完整单元的长度"));
    if (bytes.size() < kMagicSize + 4) refuse(kTruncatedText);
    const auto version = qFromLittleEndian<std::uint32_t>(bytes.constData() + kMagicSize);
    if (version > kVersion)
        refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据来自较新版本的Quillet，无法读取"));
    if (version < kVersionWithoutDurations)
        refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "不是Quillet的单元数据"));
    return version;
}

// The unit's fields, read and checked; the grid is taken from the reader as it stands.
UnitContent readUnit(PayloadReader& in, std::uint32_t version) {
    UnitContent c;
    const std::uint32_t nameBytes = in.u32();
    if (nameBytes > kMaxNameBytes) refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据已损坏：文件名过长"));
    const char* name = in.take(nameBytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    c.fileName = utf8.decode(QByteArrayView(name, nameBytes));
    if (utf8.hasError()) refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据已损坏：文件名不是UTF-8文字"));
    c.cols = in.i32();
    c.rows = in.i32();
    c.backColor = in.i32();
    c.fontColor = in.i32();
    c.byteMode = in.u8();
    const std::uint8_t hasColor = in.u8();
    const std::uint8_t pad0 = in.u8();
    const std::uint8_t pad1 = in.u8();
    if (c.cols < 0 || c.cols > kGridCols || c.rows < 0 || c.rows > kGridRows || c.byteMode > bmSingleByte ||
        hasColor > 1 || pad0 != 0 || pad1 != 0)
        refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据已损坏：单元的字段超出范围"));
    c.hasColor = hasColor == 1;
    if (version > kVersionWithoutDurations) {
        c.duration = in.i32();
        if (!IsUnitDuration(c.duration))
            refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据已损坏：单元的字段超出范围"));
    }
    c.grid = QByteArray(in.take(kRecordSize), kRecordSize);
    return c;
}

} // namespace

QByteArray EncodeUnits(const std::vector<const TAnsiImage*>& units) {
    QByteArray out;
    const bool durations =
        std::any_of(units.begin(), units.end(), [](const TAnsiImage* unit) { return unit->duration() != 0; });
    out.append(kMagic, kMagicSize);
    AppendU32(out, durations ? kVersion : kVersionWithoutDurations);
    AppendU32(out, static_cast<std::uint32_t>(units.size()));
    for (const TAnsiImage* unit : units) {
        QByteArray name = unit->fileName().toUtf8();
        name.truncate(kMaxNameBytes);
        AppendU32(out, static_cast<std::uint32_t>(name.size()));
        out.append(name);
        AppendU32(out, static_cast<std::uint32_t>(unit->cols()));
        AppendU32(out, static_cast<std::uint32_t>(unit->rows()));
        AppendU32(out, static_cast<std::uint32_t>(unit->backColor()));
        AppendU32(out, static_cast<std::uint32_t>(unit->fontColor()));
        const char flags[4] = {static_cast<char>(unit->byteMode()), static_cast<char>(unit->hasColor() ? 1 : 0), 0, 0};
        out.append(flags, 4);
        if (durations) AppendU32(out, static_cast<std::uint32_t>(unit->duration()));
        out.append(reinterpret_cast<const char*>(unit->grid().data()), kRecordSize);
    }
    AppendU32(out, Crc32Of(out.constData(), out.size()));
    return out;
}

std::vector<std::unique_ptr<TAnsiImage>> DecodeUnits(const QByteArray& bytes, const TFilmPanel& strip) {
    const std::uint32_t version = checkHeader(bytes);
    PayloadReader in(bytes.constData(), bytes.size());
    in.take(kMagicSize + 4);
    const std::uint32_t count = in.u32();
    if (count > TFilmPanel::kMaxUnits)
        refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据有误：超过50个单元"));
    const qsizetype fields = kUnitFieldsSize + (version > kVersionWithoutDurations ? 4 : 0);
    if (bytes.size() < kHeaderSize + count * (4 + fields + kRecordSize) + kCrcSize) refuse(kTruncatedText);
    std::vector<UnitContent> contents;
    contents.reserve(count);
    for (std::uint32_t k = 0; k < count; ++k)
        contents.push_back(readUnit(in, version));
    const qsizetype end = in.position();
    const std::uint32_t crc = in.u32();
    if (in.position() != bytes.size())
        refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据有误：结尾之后还有多余的数据"));
    if (crc != Crc32Of(bytes.constData(), end))
        refuse(QT_TRANSLATE_NOOP("quillet::UnitClipboard", "单元数据已损坏：校验和不符"));

    std::vector<std::unique_ptr<TAnsiImage>> units;
    units.reserve(count);
    for (const UnitContent& content : contents) {
        std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
        unit->setContent(content);
        unit->FitSize();
        units.push_back(std::move(unit));
    }
    return units;
}

QString UnitsPlainText(const std::vector<const TAnsiImage*>& units) {
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    QStringList texts;
    for (const TAnsiImage* unit : units) {
        QStringList rows;
        for (const QByteArray& line : unit->GetLines())
            rows.append(gbk.decode(line));
        texts.append(rows.join(QLatin1Char('\n')));
    }
    return texts.join(QStringLiteral("\n\n"));
}

std::unique_ptr<TAnsiImage> DuplicateUnit(const TFilmPanel& strip, int index) {
    std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
    unit->setContent(strip.GetUnit(index).content());
    return unit;
}

std::unique_ptr<TAnsiImage> BlankUnit(const TFilmPanel& strip) {
    std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
    if (strip.currentIndex() < 0) {
        unit->setExtent(80, 25);
    } else {
        const TAnsiImage& current = strip.GetUnit(strip.currentIndex());
        unit->setByteMode(current.byteMode());
        unit->SetBackColor(current.backColor());
        unit->SetFontColor(current.fontColor());
        unit->Clear();
        unit->setExtent(current.cols(), current.rows());
    }
    unit->FitSize();
    return unit;
}

} // namespace quillet

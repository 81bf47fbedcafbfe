// The units' clipboard payload: what goes in comes out, bytes that are not such a payload are
// refused with a clear message; and the unit makers for duplicate and blank units.
#include "fileerror.h"
#include "filmpanel.h"
#include "unitclipboard.h"

#include <QtEndian>

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <vector>

using namespace quillet;

namespace {

struct UnitRecipe {
    std::uint8_t byteMode;
    QList<QByteArray> lines;
    TColor back;
    TColor font;
    bool colourCells; // some cells in colours of their own
    QString fileName;
};

std::unique_ptr<TAnsiImage> unitOf(const TFilmPanel& strip, const UnitRecipe& recipe) {
    std::unique_ptr<TAnsiImage> unit = strip.NewUnit();
    unit->setByteMode(recipe.byteMode);
    unit->SetLines(recipe.lines);
    unit->SetBackColor(recipe.back);
    unit->SetFontColor(recipe.font);
    if (recipe.colourCells) {
        unit->editCell(0, 1).FontColor = 0x0000FF;
        unit->editCell(1, 0).BackColor = 0x00FFFF;
        unit->editCell(79, 199).BackColor = 0x123456; // outside the extent: the grid still holds it
    }
    if (!recipe.fileName.isEmpty()) {
        // A text import is the only way a unit gets a file name and the colour flag.
        UnitContent content = unit->content();
        content.fileName = recipe.fileName;
        content.hasColor = true;
        unit->setContent(content);
    }
    return unit;
}

std::vector<const TAnsiImage*> pointers(const std::vector<std::unique_ptr<TAnsiImage>>& units) {
    std::vector<const TAnsiImage*> out;
    for (const auto& u : units)
        out.push_back(u.get());
    return out;
}

bool sameContent(const UnitContent& a, const UnitContent& b) {
    return a.grid == b.grid && a.fileName == b.fileName && a.cols == b.cols && a.rows == b.rows &&
           a.backColor == b.backColor && a.fontColor == b.fontColor && a.byteMode == b.byteMode &&
           a.hasColor == b.hasColor && a.width == b.width && a.height == b.height && a.duration == b.duration;
}

// The payload with its last four bytes made the CRC-32 of the rest again.
QByteArray withCrc(QByteArray bytes) {
    const qsizetype body = bytes.size() - 4;
    const auto crc = static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.constData()), static_cast<uInt>(body)));
    qToLittleEndian(crc, bytes.data() + body);
    return bytes;
}

QByteArray patched(QByteArray bytes, qsizetype at, std::uint32_t value) {
    qToLittleEndian(value, bytes.data() + at);
    return bytes;
}

} // namespace

TEST(UnitClipboard, UnitsComeBackAsTheyWere) {
    const UnitRecipe single{bmSingleByte, {"Hello,", "  world ~"}, 0xFFFFFF, 0x000000, false, {}};
    const UnitRecipe doubled{bmDoubleByte, {"\xD6\xD0\xCE\xC4 ab", "", "\xB0\xA1"}, 0x000080, 0xC0C0C0, true, {}};
    const UnitRecipe imported{bmDoubleByte, {"x"}, 0x102030, 0x405060, true, QStringLiteral("/tmp/页 1.txt")};
    const UnitRecipe blank{bmAuto, {}, 0xFFFFFF, 0x008000, false, {}};
    const std::vector<std::pair<const char*, std::vector<UnitRecipe>>> cases = {
        {"no unit", {}},
        {"single-byte", {single}},
        {"double-byte with cells in colours of their own", {doubled}},
        {"imported with a file name", {imported}},
        {"blank", {blank}},
        {"several", {single, doubled, imported, blank}},
    };
    for (const auto& [name, recipes] : cases) {
        SCOPED_TRACE(name);
        TFilmPanel from;
        from.SetPageColor(0x00AA00);
        std::vector<std::unique_ptr<TAnsiImage>> units;
        for (const UnitRecipe& recipe : recipes)
            units.push_back(unitOf(from, recipe));
        const QByteArray bytes = EncodeUnits(pointers(units));

        TFilmPanel to;
        to.SetPageColor(0x0000AA);
        const std::vector<std::unique_ptr<TAnsiImage>> decoded = DecodeUnits(bytes, to);
        ASSERT_EQ(decoded.size(), units.size());
        for (std::size_t k = 0; k < units.size(); ++k) {
            EXPECT_TRUE(sameContent(decoded[k]->content(), units[k]->content())) << k;
            EXPECT_EQ(decoded[k]->SaveToRecord(), units[k]->SaveToRecord()) << k;
            EXPECT_EQ(decoded[k]->pageColor(), 0x0000AA) << "the pasting strip's page colour";
        }
        EXPECT_EQ(EncodeUnits(pointers(decoded)), bytes);
    }
}

// Durations travel in version 2, written only when some unit has one: units without durations give
// the version 1 bytes older Quillets read. A duration out of range is refused like any bad field.
TEST(UnitClipboard, DurationsTravelInVersionTwoOnly) {
    TFilmPanel strip;
    std::vector<std::unique_ptr<TAnsiImage>> units;
    for (int k = 0; k < 3; ++k)
        units.push_back(unitOf(strip, UnitRecipe{bmDoubleByte, {"ab"}, 0xFFFFFF, 0x000000, false, {}}));
    const QByteArray withoutDurations = EncodeUnits(pointers(units));
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(withoutDurations.constData() + 8), 1u);
    UnitContent timed = units[1]->content();
    timed.duration = 250;
    units[1]->setContent(timed);
    const QByteArray bytes = EncodeUnits(pointers(units));
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(bytes.constData() + 8), 2u);
    EXPECT_EQ(bytes.size(), withoutDurations.size() + 3 * 4);
    const std::vector<std::unique_ptr<TAnsiImage>> decoded = DecodeUnits(bytes, strip);
    ASSERT_EQ(decoded.size(), 3u);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(decoded[static_cast<std::size_t>(k)]->duration(), k == 1 ? 250 : 0) << k;
    EXPECT_EQ(EncodeUnits(pointers(decoded)), bytes);
    // The first unit's duration: after the header, its name length, extent, colours and flags.
    const qsizetype firstDuration = 16 + 4 + 4 * 4 + 4;
    for (const std::uint32_t bad : {5u, 60001u, 0x80000000u}) {
        try {
            DecodeUnits(withCrc(patched(bytes, firstDuration, bad)), strip);
            ADD_FAILURE() << bad << " was taken";
        } catch (const FileError& e) {
            EXPECT_EQ(e.description(), QStringLiteral("单元数据已损坏：单元的字段超出范围")) << bad;
        }
    }
}

TEST(UnitClipboard, BytesThatAreNoPayloadAreRefusedWithAClearMessage) {
    TFilmPanel strip;
    std::vector<std::unique_ptr<TAnsiImage>> units;
    units.push_back(unitOf(strip, {bmSingleByte, {"one"}, 0xFFFFFF, 0, false, {}}));
    units.push_back(unitOf(strip, {bmDoubleByte, {"\xD6\xD0"}, 0xFFFFFF, 0, true, {}}));
    const QByteArray good = EncodeUnits(pointers(units));
    const qsizetype firstUnit = 16;       // magic, version, count
    const qsizetype firstFields = 16 + 4; // after the first unit's empty file name
    const qsizetype grid = firstFields + 20;

    const std::vector<std::tuple<const char*, QByteArray, const char*>> cases = {
        {"nothing", QByteArray(), "不是Quillet的单元数据"},
        {"plain text", QByteArray("hello, world"), "不是Quillet的单元数据"},
        {"wrong magic", QByteArray("QLTUNITZ").append(good.mid(8)), "不是Quillet的单元数据"},
        {"version 0", withCrc(patched(good, 8, 0)), "不是Quillet的单元数据"},
        {"newer version", withCrc(patched(good, 8, 3)), "较新版本"},
        {"newer version, shorter", QByteArray("QLTUNITS\x07\x00\x00\x00", 12), "较新版本"},
        {"magic only", good.left(8), "不完整"},
        {"cut in the header", good.left(14), "不完整"},
        {"cut in a grid", good.left(grid + 1000), "不完整"},
        {"cut before the checksum", good.left(good.size() - 4), "不完整"},
        {"one byte short", good.left(good.size() - 1), "不完整"},
        {"a byte past the end", good + QByteArray(1, '\0'), "多余"},
        {"a grid byte changed",
         [&] {
             QByteArray b = good;
             b[grid + 5] = 'Z';
             return b;
         }(),
         "校验和不符"},
        {"checksum changed",
         [&] {
             QByteArray b = good;
             b[b.size() - 1] ^= 1;
             return b;
         }(),
         "校验和不符"},
        {"too many units", withCrc(patched(good, 12, 51)), "超过50个单元"},
        {"more units than it holds", withCrc(patched(good, 12, 3)), "不完整"},
        {"too large", QByteArray("QLTUNITS").append(QByteArray(51 * 200000, '\0')), "过大"},
        {"file name too long", withCrc(patched(good, firstUnit, 5000)), "文件名过长"},
        {"file name not UTF-8",
         [&] {
             QByteArray b = patched(good, firstUnit, 1);
             return withCrc(b.insert(firstUnit + 4, '\xFF'));
         }(),
         "不是UTF-8"},
        {"extent too wide", withCrc(patched(good, firstFields, 201)), "超出范围"},
        {"extent negative", withCrc(patched(good, firstFields + 4, 0xFFFFFFFF)), "超出范围"},
        {"byte mode unknown", withCrc(patched(good, firstFields + 16, 3)), "超出范围"},
        {"colour flag not 0 or 1", withCrc(patched(good, firstFields + 16, 0x0201)), "超出范围"},
    };
    for (const auto& [name, bytes, expected] : cases) {
        SCOPED_TRACE(name);
        try {
            DecodeUnits(bytes, strip);
            ADD_FAILURE() << "accepted";
        } catch (const FileError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("剪贴板: "))) << e.message().toStdString();
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(expected))) << e.description().toStdString();
        }
    }
}

TEST(UnitClipboard, PlainTextAndUnitMakers) {
    TFilmPanel strip;
    strip.SetDefaultColors(0x111111, 0x222222);
    strip.SetByteMode(2);
    std::unique_ptr<TAnsiImage> empty = BlankUnit(strip);
    EXPECT_EQ(std::make_tuple(empty->cols(), empty->rows(), empty->byteMode()), std::make_tuple(80, 25, bmDoubleByte));
    EXPECT_EQ(std::make_tuple(empty->backColor(), empty->fontColor()), std::make_tuple(0x111111, 0x222222));
    EXPECT_EQ(empty->GetLines(), QList<QByteArray>(25, QByteArray()));

    std::vector<std::unique_ptr<TAnsiImage>> units;
    units.push_back(unitOf(strip, {bmSingleByte, {"ab  ", "", "c"}, 0x0000FF, 0x00FF00, true, {}}));
    units.push_back(unitOf(strip, {bmDoubleByte, {"\xD6\xD0\xCE\xC4"}, 0xFFFFFF, 0, false, QStringLiteral("a.txt")}));
    EXPECT_EQ(UnitsPlainText(pointers(units)), QStringLiteral("ab\n\nc\n\n中文"));
    strip.AppendUnits(std::move(units));

    strip.SelectUnit(0);
    std::unique_ptr<TAnsiImage> blank = BlankUnit(strip);
    const TAnsiImage& current = strip.GetUnit(0);
    EXPECT_EQ(std::make_tuple(blank->cols(), blank->rows(), blank->byteMode(), blank->width(), blank->height()),
              std::make_tuple(current.cols(), current.rows(), current.byteMode(), current.width(), current.height()));
    EXPECT_EQ(std::make_tuple(blank->backColor(), blank->fontColor()), std::make_tuple(0x0000FF, 0x00FF00));
    for (const TAnsiCell& cell : blank->grid())
        ASSERT_TRUE(cell.Chars[1] == ' ' && cell.BackColor == 0x0000FF && cell.FontColor == 0x00FF00);

    for (int k = 0; k < strip.count(); ++k) {
        std::unique_ptr<TAnsiImage> copy = DuplicateUnit(strip, k);
        EXPECT_TRUE(sameContent(copy->content(), strip.GetUnit(k).content())) << k;
        EXPECT_NE(copy->id(), strip.GetUnit(k).id());
    }
}

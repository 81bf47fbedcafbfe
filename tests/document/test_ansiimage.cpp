#include "ansiimage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace quillet;

namespace {

constexpr TColor kGreen = 0x008000;
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

// A unit as the film strip makes it: defaults, mode, then Clear.
std::unique_ptr<TAnsiImage> freshUnit(std::uint8_t mode = bmAuto, TColor font = kGreen, TColor back = kWhite) {
    auto unit = std::make_unique<TAnsiImage>();
    unit->SetBackColor(back);
    unit->SetFontColor(font);
    unit->setByteMode(mode);
    unit->Clear();
    return unit;
}

// A record of blank cells in the given colours.
QByteArray blankRecord(TColor font, TColor back) {
    auto unit = freshUnit(bmSingleByte, font, back);
    return QByteArray(reinterpret_cast<const char*>(unit->grid().data()), kRecordSize);
}

TAnsiCell& recordCell(QByteArray& record, int row, int col) {
    return reinterpret_cast<TAnsiCell*>(record.data())[row * kGridCols + col];
}

std::unique_ptr<TAnsiImage> loaded(const QByteArray& record, std::uint8_t mode = bmAuto) {
    auto unit = freshUnit(mode);
    unit->LoadFromRecord(record.constData());
    return unit;
}

} // namespace

TEST(AnsiImage, ClearedUnitIsBlankInDefaultsAndItsRecordCarriesThem) {
    auto unit = freshUnit();
    EXPECT_EQ(unit->cols(), 0);
    EXPECT_EQ(unit->rows(), 0);
    for (const TAnsiCell& c : unit->grid()) {
        ASSERT_EQ(c.Chars[0], 0x20);
        ASSERT_EQ(c.Chars[1], 0x20);
        ASSERT_EQ(c.Reserved[0], 0);
        ASSERT_EQ(c.FontColor, kGreen);
        ASSERT_EQ(c.BackColor, kWhite);
    }
    const QByteArray record = unit->SaveToRecord();
    ASSERT_EQ(record.size(), kRecordSize);
    EXPECT_EQ(std::memcmp(record.constData(), unit->grid().data(), kRecordSize), 0);
    // Colours of the last cell, little-endian at 191992 and 191996.
    EXPECT_EQ(static_cast<std::uint8_t>(record[191992 + 1]), 0x80);
    EXPECT_EQ(static_cast<std::uint8_t>(record[191996]), 0xFF);
    EXPECT_EQ(static_cast<std::uint8_t>(record[191999]), 0x00);
}

TEST(AnsiImage, ClearKeepsReservedBytesAndExtent) {
    auto unit = freshUnit();
    unit->editCell(3, 4).Reserved[1] = 0x7E;
    unit->setExtent(5, 4);
    unit->Clear();
    EXPECT_EQ(unit->cell(3, 4).Reserved[1], 0x7E);
    EXPECT_EQ(unit->cols(), 5);
    EXPECT_EQ(unit->rows(), 4);
}

TEST(AnsiImage, LoadedExtentIsAtLeastEightByTwo) {
    auto blank = loaded(blankRecord(kRed, kBlue));
    EXPECT_EQ(blank->cols(), 8);
    EXPECT_EQ(blank->rows(), 2);
    EXPECT_EQ(blank->fontColor(), kRed);
    EXPECT_EQ(blank->backColor(), kBlue);
    EXPECT_EQ(blank->width(), 6 * 8 + 44);
    EXPECT_EQ(blank->height(), 12 * 2 + 23);

    QByteArray first = blankRecord(kRed, kBlue);
    recordCell(first, 0, 0).Chars[1] = 'x';
    EXPECT_EQ(loaded(first)->cols(), 8);
    EXPECT_EQ(loaded(first)->rows(), 2);

    QByteArray last = blankRecord(kRed, kBlue);
    recordCell(last, 79, 199).Chars[1] = 'x';
    auto full = loaded(last);
    EXPECT_EQ(full->cols(), 200);
    EXPECT_EQ(full->rows(), 80);
}

TEST(AnsiImage, ExtentScanCountsColoursAndStrippedText) {
    QByteArray record = blankRecord(kRed, kBlue);
    recordCell(record, 10, 30).BackColor = kWhite; // blank but another background: used
    recordCell(record, 20, 150).Chars[0] = 0;      // cut at a zero byte: empty
    recordCell(record, 20, 150).Chars[1] = 'z';
    recordCell(record, 30, 160).Chars[0] = '\t'; // control bytes strip away
    recordCell(record, 30, 160).Chars[1] = 0x01;
    recordCell(record, 40, 12).Chars[0] = 0x20; // a space before text is stripped, the text stays
    recordCell(record, 40, 12).Chars[1] = 'q';
    auto unit = loaded(record);
    EXPECT_EQ(unit->cols(), 31);
    EXPECT_EQ(unit->rows(), 41);
}

TEST(AnsiImage, LoadDecidesByteModeOnlyWhenUndetermined) {
    QByteArray single = blankRecord(kRed, kBlue);
    recordCell(single, 1, 1).Chars[1] = 'a';
    recordCell(single, 50, 150).Chars[0] = 0; // a zero first byte is no text: outside the extent
    EXPECT_EQ(loaded(single)->byteMode(), bmSingleByte);

    QByteArray zero = blankRecord(kRed, kBlue);
    recordCell(zero, 1, 7).Chars[0] = 0;
    EXPECT_EQ(loaded(zero)->byteMode(), bmDoubleByte);

    EXPECT_EQ(loaded(zero, bmSingleByte)->byteMode(), bmSingleByte);
    EXPECT_EQ(loaded(single, bmDoubleByte)->byteMode(), bmDoubleByte);
    auto wide = loaded(zero);
    EXPECT_EQ(wide->width(), 12 * 8 + 44);
}

TEST(AnsiImage, RecordRoundTripKeepsEveryByteAndTheDefaults) {
    QByteArray record = blankRecord(kRed, kBlue);
    for (int k = 0; k < kGridCells; k += 37) {
        auto& c = reinterpret_cast<TAnsiCell*>(record.data())[k];
        c.Chars[0] = static_cast<std::uint8_t>(k);
        c.Chars[1] = static_cast<std::uint8_t>(k >> 8);
        c.Reserved[0] = static_cast<std::uint8_t>(k * 3);
        c.Reserved[1] = 0xA5;
        c.FontColor = k;
    }
    recordCell(record, 79, 199).Chars[1] = 'e'; // the extent reaches the last cell
    auto unit = loaded(record);
    EXPECT_EQ(unit->SaveToRecord(), record);
}

TEST(AnsiImage, SavedRecordCarriesCurrentDefaultsWhenTheExtentStopsShort) {
    auto unit = freshUnit(bmSingleByte);
    unit->SetLines({"abc"});
    unit->editCell(79, 199).Reserved[0] = 9;
    unit->editCell(79, 199).Chars[1] = 'L';
    unit->SetBackColor(kBlue);
    unit->SetFontColor(kRed);
    const QByteArray record = unit->SaveToRecord();
    const auto* last = reinterpret_cast<const TAnsiCell*>(record.constData()) + kGridCells - 1;
    EXPECT_EQ(last->FontColor, kRed);
    EXPECT_EQ(last->BackColor, kBlue);
    EXPECT_EQ(last->Chars[1], 'L');
    EXPECT_EQ(last->Reserved[0], 9);
    // The grid itself is untouched, and the reloaded unit has the defaults the saved one had.
    EXPECT_EQ(unit->cell(79, 199).FontColor, kGreen);
    auto back = loaded(record);
    EXPECT_EQ(back->fontColor(), kRed);
    EXPECT_EQ(back->backColor(), kBlue);
    EXPECT_EQ(back->cols(), 200); // the 'L' in the last cell is text
}

TEST(AnsiImage, FullExtentIsSavedAsItIs) {
    QByteArray record = blankRecord(kRed, kBlue);
    recordCell(record, 79, 199).Chars[1] = 'e';
    auto unit = loaded(record);
    unit->SetFontColor(kWhite); // recolours the last cell too: it is inside the extent
    EXPECT_EQ(unit->cell(79, 199).FontColor, kWhite);
    unit->editCell(79, 199).FontColor = kBlue;
    const QByteArray saved = unit->SaveToRecord();
    EXPECT_EQ(reinterpret_cast<const TAnsiCell*>(saved.constData())[kGridCells - 1].FontColor, kBlue);
}

TEST(AnsiImage, SetBackColorRecoloursOnlyOldDefaultInsideTheExtent) {
    auto unit = freshUnit(bmSingleByte);
    unit->SetLines({"0123456789", "x"});
    unit->editCell(0, 3).BackColor = kRed;
    unit->SetBackColor(kBlue);
    EXPECT_EQ(unit->backColor(), kBlue);
    EXPECT_EQ(unit->cell(0, 0).BackColor, kBlue);
    EXPECT_EQ(unit->cell(1, 9).BackColor, kBlue);
    EXPECT_EQ(unit->cell(0, 3).BackColor, kRed);
    EXPECT_EQ(unit->cell(0, 10).BackColor, kWhite);
    EXPECT_EQ(unit->cell(2, 0).BackColor, kWhite);
    EXPECT_EQ(unit->cell(79, 199).BackColor, kWhite);
    unit->SetFontColor(kRed);
    EXPECT_EQ(unit->cell(1, 5).FontColor, kRed);
    EXPECT_EQ(unit->cell(5, 5).FontColor, kGreen);
}

TEST(AnsiImage, DoubleByteLinesFillPairsAndEndWithZero) {
    auto unit = freshUnit(bmDoubleByte);
    unit->SetLines({"hello"});
    EXPECT_EQ(unit->cols(), 3);
    EXPECT_EQ(unit->rows(), 1);
    EXPECT_EQ(unit->cell(0, 0).Chars[0], 'h');
    EXPECT_EQ(unit->cell(0, 0).Chars[1], 'e');
    EXPECT_EQ(unit->cell(0, 1).Chars[0], 'l');
    EXPECT_EQ(unit->cell(0, 2).Chars[0], 'o');
    EXPECT_EQ(unit->cell(0, 2).Chars[1], 0);
    EXPECT_EQ(unit->CellText(0, 2), QByteArray("o"));
    EXPECT_EQ(unit->width(), 3 * 12 + 44);
    EXPECT_EQ(unit->height(), 12 + 23);
    EXPECT_EQ(unit->GetLines(), QList<QByteArray>{"hello"});
    unit->SetLines({"abcd"});
    EXPECT_EQ(unit->cols(), 3) << "even length: no extra cell, and the extent never shrinks";
}

TEST(AnsiImage, SetLinesNeverShrinksAndBlanksTheOldExtent) {
    QByteArray record = blankRecord(kRed, kBlue);
    for (int r = 0; r < 10; ++r)
        for (int j = 0; j < 40; ++j) {
            recordCell(record, r, j).Chars[1] = 'x';
            recordCell(record, r, j).BackColor = r;
        }
    auto unit = loaded(record);
    ASSERT_EQ(unit->cols(), 40);
    ASSERT_EQ(unit->rows(), 10);
    unit->SetLines({"ab", "c"});
    EXPECT_EQ(unit->cols(), 40);
    EXPECT_EQ(unit->rows(), 10);
    EXPECT_EQ(unit->cell(0, 1).Chars[1], 'b');
    EXPECT_EQ(unit->cell(0, 2).Chars[1], ' ');
    EXPECT_EQ(unit->cell(5, 3).Chars[1], ' ');
    EXPECT_EQ(unit->cell(5, 3).BackColor, 5);
    const QList<QByteArray> expected{"ab", "c", "", "", "", "", "", "", "", ""};
    EXPECT_EQ(unit->GetLines(), expected);
}

TEST(AnsiImage, DoubleByteCutsAWideExtentToOneHundredCells) {
    QByteArray record = blankRecord(kRed, kBlue);
    recordCell(record, 0, 149).Chars[0] = 'w';
    recordCell(record, 1, 120).Chars[0] = 'k';
    auto unit = loaded(record);
    ASSERT_EQ(unit->byteMode(), bmDoubleByte);
    ASSERT_EQ(unit->cols(), 150);
    unit->SetLines({"hi"});
    EXPECT_EQ(unit->cols(), 100);
    EXPECT_EQ(unit->width(), 1244);
    EXPECT_EQ(unit->cell(1, 120).Chars[0], 'k') << "cells beyond the cut are not blanked";
}

TEST(AnsiImage, LinesAndBytesBeyondTheGridAreDropped) {
    auto single = freshUnit(bmSingleByte);
    QList<QByteArray> many;
    for (int k = 0; k < 100; ++k)
        many.append(QByteArray::number(k));
    many[0] = QByteArray(250, 'q');
    many[0][199] = 'E';
    single->SetLines(many);
    EXPECT_EQ(single->rows(), 80);
    EXPECT_EQ(single->cols(), 200);
    EXPECT_EQ(single->cell(0, 199).Chars[1], 'E');
    EXPECT_EQ(single->cell(79, 0).Chars[1], '7');
    EXPECT_EQ(single->width(), 1244);
    EXPECT_EQ(single->height(), 983);

    auto wide = freshUnit(bmDoubleByte);
    QByteArray line(300, 'd');
    line[298] = 'Y';
    wide->SetLines({line});
    EXPECT_EQ(wide->cols(), 100);
    EXPECT_EQ(wide->cell(0, 149).Chars[0], 'Y');
    EXPECT_EQ(wide->cell(0, 150).Chars[0], ' ');
    EXPECT_EQ(wide->GetLines().at(0).size(), 200);
}

TEST(AnsiImage, TextBytesGoIntoCellsUnchanged) {
    auto unit = freshUnit(bmSingleByte);
    const QByteArray raw("\t\x1b[31m\x01\xff", 8);
    unit->SetLines({raw, ""});
    for (int j = 0; j < raw.size(); ++j)
        EXPECT_EQ(unit->cell(0, j).Chars[1], static_cast<std::uint8_t>(raw[j]));
    EXPECT_EQ(unit->cell(0, 0).Chars[0], ' ');
    EXPECT_EQ(unit->CellText(0, 0), QByteArray("\t"));
    EXPECT_EQ(unit->GetLines().at(0), raw);
    EXPECT_EQ(unit->GetLines().at(1), QByteArray());
}

TEST(AnsiImage, GetLinesDropsTrailingControlBytesAndCutsPairsAtZero) {
    auto unit = freshUnit(bmDoubleByte);
    unit->SetLines({QByteArray("\xd6\xd0"
                               "a ",
                               4),
                    "x"});
    unit->editCell(1, 0).Chars[1] = 0x05;
    unit->editCell(1, 1).Chars[0] = 0;
    unit->editCell(1, 1).Chars[1] = 'z';
    const QList<QByteArray> lines = unit->GetLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QByteArray("\xd6\xd0"
                                   "a",
                                   3));
    EXPECT_EQ(lines[1], QByteArray("x"));
}

TEST(AnsiImage, GetCellPacksCharsAndReservedBytes) {
    auto unit = freshUnit(bmDoubleByte);
    TAnsiCell& c = unit->editCell(2, 3);
    c.Chars[0] = 0xD6;
    c.Chars[1] = 0xD0;
    c.Reserved[0] = 0x01;
    c.Reserved[1] = 0x02;
    c.FontColor = kRed;
    const TCellInfo info = unit->GetCell(2, 3);
    EXPECT_EQ(info.CharWord, 0x0201D0D6u);
    EXPECT_EQ(info.FontColor, kRed);
    EXPECT_EQ(info.BackColor, kWhite);
}

TEST(AnsiImage, MaxLineLengthOfNoLinesIsZero) {
    EXPECT_EQ(TAnsiImage::MaxLineLength({}), 0);
    EXPECT_EQ(TAnsiImage::MaxLineLength({"ab", "", "abcd"}), 4);
    auto unit = freshUnit(bmSingleByte);
    unit->SetLines({});
    EXPECT_EQ(unit->cols(), 0);
    EXPECT_EQ(unit->rows(), 0);
    EXPECT_EQ(unit->width(), 44);
    EXPECT_EQ(unit->height(), 23);
}

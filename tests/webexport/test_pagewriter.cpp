#include "pagewriter.h"

#include "fileerror.h"
#include "unitbuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace quillet;
using testunits::AppendUnit;
using testunits::PutText;

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGreen = 0x008000;
constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;

// A template whose line n reads "template line n"; line endings cycle through LF, CR LF and CR, and
// line 2 carries a tab, trailing blanks and GBK bytes that must reach the page unchanged.
QByteArray templateBytes(int lines) {
    static const char* const kEndings[] = {"\n", "\r\n", "\r"};
    QByteArray bytes;
    for (int n = 1; n <= lines; ++n) {
        bytes += "template line " + QByteArray::number(n);
        if (n == 2) bytes += "\t\xd6\xd0\xce\xc4  ";
        bytes += kEndings[n % 3];
    }
    return bytes;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class PageWriter : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TFilmPanel film;

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    std::unique_ptr<THtmFP> writer(int templateLines = 56) {
        writeFile(path("Script.txt"), templateBytes(templateLines));
        return std::make_unique<THtmFP>(path("Script.txt"));
    }

    // Compares with the golden page; on a difference keeps the page written for inspection.
    void expectGolden(const QString& written, const char* golden) {
        const QString goldenPath = QStringLiteral(QUILLET_TEST_DATA "/webexport/") + QString::fromLatin1(golden);
        const QByteArray actual = readAll(written);
        if (actual != readAll(goldenPath)) {
            const QString kept = QDir::temp().filePath(QStringLiteral("actual-") + QString::fromLatin1(golden));
            QFile::remove(kept);
            QFile::copy(written, kept);
            ADD_FAILURE() << "page differs from " << qPrintable(goldenPath) << "; written page kept as "
                          << qPrintable(kept);
        }
    }
};

} // namespace

// Three units of different kinds: spans in a single-byte unit (a run across a row end, background
// only, colour only, both, tab, &, quotes), a double-byte unit with zero bytes, a unit with an empty
// extent, a default-coloured unit longer than a markup line, one whose spans break its markup into
// lines, and a one-cell-wide unit. Title and page colours need escaping; buttons shown.
TEST_F(PageWriter, GoldenDocument) {
    TAnsiImage& spans = AppendUnit(film, 6, 3, bmSingleByte, kBlack, kWhite);
    PutText(spans, 0, "a&b\tc\"");
    PutText(spans, 1, "<d>e  ");
    PutText(spans, 2, "xyz");
    spans.editCell(0, 1).FontColor = kRed;
    spans.editCell(0, 2).FontColor = kRed;
    for (const auto& [r, c] : {std::pair{0, 4}, {0, 5}, {1, 0}, {1, 1}})
        spans.editCell(r, c).BackColor = kBlue;
    spans.editCell(1, 3).BackColor = kGreen;
    spans.editCell(2, 1).FontColor = kGreen;
    spans.editCell(2, 1).BackColor = kRed;

    TAnsiImage& wide = AppendUnit(film, 3, 2, bmDoubleByte, kGreen, kWhite);
    PutText(wide, 0, "\xd6\xd0\xce\xc4x");
    PutText(wide, 1, "ab");
    wide.editCell(1, 1).Chars[0] = 0;
    wide.editCell(1, 1).BackColor = kRed;

    AppendUnit(film, 0, 0, bmSingleByte, kBlack, kWhite);

    TAnsiImage& plain = AppendUnit(film, 60, 2, bmSingleByte, kBlack, kWhite);
    PutText(plain, 0, QByteArray("The quick brown fox & friends ").repeated(2));

    TAnsiImage& striped = AppendUnit(film, 12, 2, bmSingleByte, kWhite, kBlack);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 12; ++c)
            striped.editCell(r, c).FontColor = (c % 2 == 0) ? kRed : kBlue;

    TAnsiImage& narrow = AppendUnit(film, 1, 3, bmSingleByte, kBlack, kWhite);
    PutText(narrow, 0, "p");
    PutText(narrow, 1, "q");
    PutText(narrow, 2, "r");
    narrow.editCell(1, 0).FontColor = kRed;

    PageOptions options;
    options.title = "<\xd6\xd0 & \"x\">\tend";
    options.backColorHex = "ff0000";
    options.fontColorHex = "\"><script>";
    options.speed = 250;
    options.showButtons = true;
    writer()->WritePage(film, options, path("document.htm"));
    expectGolden(path("document.htm"), "document.htm");
}

// Nothing configured: empty title and colour texts, delay 0, no buttons.
TEST_F(PageWriter, GoldenUnconfiguredPage) {
    TAnsiImage& unit = AppendUnit(film, 4, 1, bmDoubleByte, kGreen, kWhite);
    PutText(unit, 0, "hi");
    writer(55)->WritePage(film, PageOptions(), path("plain.htm"));
    expectGolden(path("plain.htm"), "plain.htm");
}

TEST_F(PageWriter, ShortTemplateFailsBeforeAnyFileIsTouched) {
    AppendUnit(film, 4, 1, bmSingleByte, kBlack, kWhite);
    auto w = writer(54);
    writeFile(path("page.htm"), "the old page");
    try {
        w->WritePage(film, PageOptions(), path("page.htm"));
        FAIL() << "a 54-line template was accepted";
    } catch (const TemplateError& e) {
        EXPECT_EQ(e.lineCount(), 54);
        EXPECT_TRUE(e.message().contains(path("Script.txt"))) << qPrintable(e.message());
        EXPECT_TRUE(e.message().contains(QStringLiteral("54"))) << qPrintable(e.message());
    }
    EXPECT_EQ(readAll(path("page.htm")), "the old page");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left either";
}

TEST_F(PageWriter, MissingTemplateIsAFileError) {
    EXPECT_THROW(THtmFP(path("absent.txt")), FileError);
}

TEST_F(PageWriter, TemplateLinesEndAtCrLfOrCrLf) {
    writeFile(path("Script.txt"), "one\rtwo\nthree\r\nfour\r\n\r\nsix");
    THtmFP w(path("Script.txt"));
    EXPECT_EQ(w.script(), (QList<QByteArray>{"one", "two", "three", "four", "", "six"}));
    writeFile(path("Script.txt"), "a\n\n");
    EXPECT_EQ(THtmFP(path("Script.txt")).script(), (QList<QByteArray>{"a", ""}));
}

TEST_F(PageWriter, UnwritablePageIsAFileErrorAndLeavesNothing) {
    AppendUnit(film, 4, 1, bmSingleByte, kBlack, kWhite);
    EXPECT_THROW(writer()->WritePage(film, PageOptions(), path("no-such-folder/page.htm")), FileError);
    EXPECT_FALSE(QDir(path("no-such-folder")).exists());
}

TEST_F(PageWriter, FullDeviceIsReportedInTheSystemsWords) {
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) GTEST_SKIP() << "no /dev/full here";
    auto w = writer();
    try {
        w->WriteLines(full, {"<Html>", "</HTML>"});
        ADD_FAILURE() << "writing to a full device reported success";
    } catch (const FileError& error) {
        EXPECT_EQ(error.description().toStdString(), std::strerror(ENOSPC));
    }
}

TEST_F(PageWriter, ExportingTwiceReplacesThePageWithIdenticalBytes) {
    TAnsiImage& unit = AppendUnit(film, 5, 2, bmSingleByte, kBlack, kWhite);
    unit.editCell(1, 2).FontColor = kRed;
    auto w = writer();
    writeFile(path("page.htm"), QByteArray(100000, 'x'));
    w->WritePage(film, PageOptions(), path("page.htm"));
    const QByteArray first = readAll(path("page.htm"));
    w->WritePage(film, PageOptions(), path("page.htm"));
    EXPECT_EQ(readAll(path("page.htm")), first);
    EXPECT_TRUE(first.endsWith("</div>\r\n</BODY></HTML>\r\n"));
    EXPECT_EQ(first.count("</BODY></HTML>"), 1);
}

// The document and the options belong to the page being written: after another page with other
// options and another document, a writer writes the first page again byte for byte, and the other
// page is what a fresh writer makes of it.
TEST_F(PageWriter, EachPageTakesOnlyTheDocumentAndOptionsItIsGiven) {
    PutText(AppendUnit(film, 5, 2, bmSingleByte, kBlack, kWhite), 0, "one");
    TFilmPanel other;
    AppendUnit(other, 3, 1, bmDoubleByte, kGreen, kRed);
    AppendUnit(other, 2, 2, bmSingleByte, kWhite, kBlack);
    const PageOptions options{"first", "FFFFFF", "000000", 100, false};
    const PageOptions otherOptions{"\xb1\xea\xcc\xe2", "ff0000", "00ff00", 37, true};

    auto w = writer();
    w->WritePage(film, options, path("first.htm"));
    w->WritePage(other, otherOptions, path("other.htm"));
    w->WritePage(film, options, path("again.htm"));
    writer()->WritePage(other, otherOptions, path("fresh.htm"));
    EXPECT_EQ(readAll(path("again.htm")), readAll(path("first.htm")));
    EXPECT_EQ(readAll(path("other.htm")), readAll(path("fresh.htm")));
    EXPECT_TRUE(readAll(path("first.htm")).contains("var max_pics=1;\r\nvar delay=100;\r\n"));
    EXPECT_TRUE(readAll(path("other.htm")).contains("var max_pics=2;\r\nvar delay=37;\r\n"));
}

// Units with durations of their own: the page is the page without them and one declaration more,
// right after the width; a duration taken back leaves the page as it was, byte for byte.
TEST_F(PageWriter, DurationsAddOneDeclarationAfterTheWidth) {
    for (int k = 0; k < 4; ++k)
        PutText(AppendUnit(film, 5, 2, bmSingleByte, kBlack, kWhite), 0, "unit " + QByteArray::number(k));
    auto w = writer();
    w->WritePage(film, PageOptions(), path("plain.htm"));
    const QByteArray plain = readAll(path("plain.htm"));
    EXPECT_FALSE(plain.contains("delays"));

    film.SetUnitDuration(1, 250);
    film.SetUnitDuration(3, 60000);
    w->WritePage(film, PageOptions(), path("timed.htm"));
    const QByteArray widthLine = "var width=" + QByteArray::number(film.width()) + ";\r\n";
    QByteArray expected = plain;
    expected.insert(plain.indexOf(widthLine) + widthLine.size(), "var delays=[0,250,0,60000];\r\n");
    EXPECT_EQ(readAll(path("timed.htm")), expected);

    film.SetUnitDuration(1, 0);
    film.SetUnitDuration(3, 0);
    w->WritePage(film, PageOptions(), path("again.htm"));
    EXPECT_EQ(readAll(path("again.htm")), plain);
}

TEST_F(PageWriter, TableWidthFollowsByteMode) {
    const std::pair<int, int> doubleByte[] = {{1, 16}, {2, 33}, {3, 49}, {40, 656}, {100, 1640}};
    for (const auto& [cols, width] : doubleByte) {
        THtmBasic basic;
        basic.WriteUnitTable(AppendUnit(film, cols, 0, bmDoubleByte, kBlack, kWhite));
        EXPECT_EQ(basic.bodyLines().at(1), " width=\"" + QByteArray::number(width) + "\"><tr><td>") << cols;
    }
    THtmBasic basic;
    basic.WriteUnitTable(AppendUnit(film, 80, 0, bmSingleByte, kBlack, kWhite));
    EXPECT_EQ(basic.bodyLines().at(0), "<table border=\"0\" style=\"color: #000000; background-color: #FFFFFF\"");
    EXPECT_EQ(basic.bodyLines().at(1), " width=\"640\"><tr><td>");
}

TEST_F(PageWriter, DefaultColouredUnitIsOneMarkupLineHoweverLarge) {
    THtmBasic basic;
    basic.WriteUnitTable(AppendUnit(film, 100, 80, bmDoubleByte, kBlack, kWhite));
    ASSERT_EQ(basic.bodyLines().size(), 4);
    EXPECT_EQ(basic.bodyLines().at(2), (QByteArray("&nbsp;&nbsp;").repeated(100) + "<br>").repeated(80));
    EXPECT_EQ(basic.bodyLines().at(3), "</td></tr></table>");
}

TEST_F(PageWriter, MarkupLinesBreakOnlyRightAfterAnOpeningTag) {
    TAnsiImage& unit = AppendUnit(film, 100, 80, bmDoubleByte, kBlack, kWhite);
    for (int r = 0; r < 80; ++r)
        for (int c = 0; c < 100; ++c)
            unit.editCell(r, c).FontColor = (r * 100 + c) % 7 == 0 ? kRed : kBlack;
    THtmBasic basic;
    basic.WriteUnitTable(unit);
    ASSERT_GT(basic.bodyLines().size(), 10);
    for (qsizetype i = 2; i + 2 < basic.bodyLines().size(); ++i) {
        const QByteArray& line = basic.bodyLines().at(i);
        EXPECT_TRUE(line.endsWith("<font ")) << i;
        EXPECT_GT(line.size(), 100) << i;
        EXPECT_LE(line.size(), 100 + 120) << i; // passes 100 by at most a run of default cells and one tag
    }
}

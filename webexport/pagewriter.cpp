#include "pagewriter.h"

#include "ansiimage.h"
#include "colorhex.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "htmlunit.h"
#include "inputfile.h"
#include "rounding.h"
#include "savefile.h"

namespace quillet {

namespace {

// A markup line is ended once it is longer than this and the markup stops inside "<font ".
constexpr qsizetype kMarkupLineLength = 100;

// The most a script template may hold: a page takes 55 of its lines, the one shipped is 2 KB.
constexpr qint64 kTemplateLimit = qint64{4} * 1024 * 1024;

// Lines end at CR, LF or CR LF; a final line break does not start another line.
QList<QByteArray> splitLines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(bytes.mid(start, i - start));
            i += (c == '\r' && i + 1 < size && bytes.at(i + 1) == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < size) lines.append(bytes.mid(start));
    return lines;
}

// Text the user typed, made safe inside an element or a quoted attribute: " & < > become
// entities, every other byte (blanks, tabs, GBK characters) stays as typed.
QByteArray escapeTyped(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '"':
            out.append("&quot;");
            break;
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        default:
            out.append(c);
        }
    }
    return out;
}

// The text width of a unit's table in pixels.
std::int64_t tableWidth(const TAnsiImage& unit) {
    if (unit.IsDoubleByte()) return divRoundHalfEven(std::int64_t{unit.cols()} * 164, 10); // FCols x 16.4
    return std::int64_t{unit.cols()} * 8;
}

QByteArray number(std::int64_t value) {
    return QByteArray::number(static_cast<qlonglong>(value));
}

// "var delays=[...];": every unit's own duration in strip order, 0 for none; empty when no unit has
// one, so such a page has no such line.
QByteArray delaysDeclaration(const TFilmPanel& film) {
    bool any = false;
    QByteArray list;
    for (int k = 0; k < film.count(); ++k) {
        const std::int32_t duration = film.GetUnit(k).duration();
        any = any || duration != 0;
        if (k > 0) list.append(',');
        list.append(number(duration));
    }
    return any ? "var delays=[" + list + "];" : QByteArray();
}

} // namespace

TemplateError::TemplateError(const QString& path, int lineCount)
    : std::runtime_error(QStringLiteral("%1: the script template has %2 lines, a page needs %3")
                             .arg(path)
                             .arg(lineCount)
                             .arg(THtmFP::kTemplateLines)
                             .toStdString()),
      m_path(path), m_lineCount(lineCount) {}

QString TemplateError::message() const {
    return QString::fromStdString(what());
}

THtmBasic::THtmBasic() = default;
THtmBasic::~THtmBasic() = default;

void THtmBasic::WriteTail() {
    FTailLines.clear();
    FTailLines.append(QByteArrayLiteral("</BODY></HTML>"));
}

void THtmBasic::WriteUnitTable(const TAnsiImage& unit) {
    QByteArray open = QByteArrayLiteral("<table border=\"0\" style=\"color: #");
    AppendColorHex(open, unit.fontColor());
    open.append("; background-color: #");
    AppendColorHex(open, unit.backColor());
    open.append('"');
    FBodyLines.append(open);
    FBodyLines.append(" width=\"" + number(tableWidth(unit)) + "\"><tr><td>");

    THtmlUnit converter;
    converter.FBackColor = unit.backColor();
    converter.FFontColor = unit.fontColor();
    converter.FDoubleByte = unit.IsDoubleByte();
    QByteArray pending;
    for (int r = 0; r < unit.rows(); ++r) {
        for (int c = 0; c < unit.cols(); ++c) {
            converter.LoadCell(unit, r, c);
            converter.CellHtml(pending);
            if (pending.size() > kMarkupLineLength && converter.FOpenTag) {
                FBodyLines.append(pending);
                pending = QByteArray();
                pending.reserve(2 * kMarkupLineLength);
            }
        }
    }
    FBodyLines.append(pending);
    FBodyLines.append(QByteArrayLiteral("</td></tr></table>"));
}

THtmFP::THtmFP(const QString& scriptPath)
    : FScript(splitLines(ReadInputFile(scriptPath, kTemplateLimit))), m_scriptPath(scriptPath) {}

THtmFP::~THtmFP() = default;

void THtmFP::WriteHead() {
    if (FScript.size() < kTemplateLines) throw TemplateError(m_scriptPath, static_cast<int>(FScript.size()));
    const QByteArray title = escapeTyped(FTitle);
    FHeadLines.clear();
    FHeadLines.append("<Html><head><TITLE>" + title + "</TITLE>");
    for (int line = 1; line <= 10; ++line)
        FHeadLines.append(FScript.at(line - 1));
    FHeadLines.append("var max_pics=" + number(FFilm->count()) + ";");
    FHeadLines.append("var delay=" + number(FSpeed) + ";");
    FHeadLines.append("var width=" + number(FFilm->width()) + ";");
    const QByteArray delays = delaysDeclaration(*FFilm);
    if (!delays.isEmpty()) FHeadLines.append(delays);
    for (int line = 12; line <= 52; ++line)
        FHeadLines.append(FScript.at(line - 1));
    FHeadLines.append("<BODY bgcolor=\"#" + escapeTyped(FBackColorHex) + "\" text=\"#" + escapeTyped(FFontColorHex) +
                      "\" onload=document.F0.D0.value=delay;show(); >");
    FHeadLines.append("<h1 align=center >" + title + "</h1>");
    FHeadLines.append(FScript.at(FShowButtons ? 53 : 54));
}

void THtmFP::WriteUnitBlock(int index) {
    FBodyLines.clear();
    FBodyLines.append("<div id=text" + number(index + 1) + " >");
    WriteUnitTable(FFilm->GetUnit(index));
    FBodyLines.append(QByteArrayLiteral("</div>"));
}

void THtmFP::WriteLines(QIODevice& page, const QList<QByteArray>& lines) const {
    m_out.resize(0); // keeps the capacity of the previous list
    for (const QByteArray& line : lines) {
        m_out.append(line);
        m_out.append("\r\n", 2);
    }
    WriteFully(page, m_out.constData(), m_out.size(), FFileName);
}

void THtmFP::WritePage(const TFilmPanel& film, const PageOptions& options, const QString& fileName) {
    FFilm = &film;
    FFileName = fileName;
    FTitle = options.title;
    FBackColorHex = options.backColorHex;
    FFontColorHex = options.fontColorHex;
    FSpeed = options.speed;
    FShowButtons = options.showButtons;
    WriteHead();
    WriteTail();
    SaveFile page(FFileName);
    WriteLines(page.device(), FHeadLines);
    for (int i = 0; i < FFilm->count(); ++i) {
        WriteUnitBlock(i);
        WriteLines(page.device(), FBodyLines);
    }
    WriteLines(page.device(), FTailLines);
    page.commit();
    m_out = QByteArray();
}

} // namespace quillet

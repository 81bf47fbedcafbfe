#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace quillet {

class TAnsiImage;
class TFilmPanel;

// What any page needs: the line lists of head, unit block and tail, the file name, the title and
// the two page colour texts; writes one unit as a table.
class THtmBasic {
public:
    THtmBasic();
    virtual ~THtmBasic();

    QList<QByteArray> FHeadLines;
    QList<QByteArray> FTailLines;
    QList<QByteArray> FBodyLines;
    QString FFileName;
    QByteArray FTitle;        // bytes in the code page, as typed
    QByteArray FBackColorHex; // written as held (HTML-escaped)
    QByteArray FFontColorHex;

    void WriteTail();
    void WriteUnitTable(const TAnsiImage& unit);
};

// The self-playing page: the template spliced around the generated declarations, one block per
// unit of the film strip.
class THtmFP : public THtmBasic {
public:
    // Reads the template. Throws FileError when it cannot be read.
    explicit THtmFP(const QString& scriptPath);
    ~THtmFP() override;

    QList<QByteArray> FScript;
    const TFilmPanel* FFilm = nullptr;
    std::int32_t FSpeed = 0;
    bool FShowButtons = false;

    // Throws TemplateError when the template has fewer than 55 lines.
    void WriteHead();
    void WriteUnitBlock(int index);
    // Writes the whole page to FFileName through a QSaveFile. Throws TemplateError before touching
    // any file when the template is short, FileError when the page cannot be written.
    void WritePage();
};

} // namespace quillet

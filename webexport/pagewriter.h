#pragma once

#include "pageoptions.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <stdexcept>

class QIODevice;

namespace quillet {

class TAnsiImage;
class TFilmPanel;

// The script template has fewer lines than a page needs. Raised before any page file is touched.
class TemplateError : public std::runtime_error {
public:
    TemplateError(const QString& path, int lineCount);

    const QString& path() const { return m_path; }
    int lineCount() const { return m_lineCount; }
    // "path: the script template has N lines, a page needs 55", the text shown to the user.
    QString message() const;

private:
    QString m_path;
    int m_lineCount;
};

// What any page needs: the line lists of head, unit block and tail, the file name, the title and
// the two page colour texts; writes one unit as a table. The fields are private: the file, the
// title and the colours are those of the page THtmFP is writing, which fills them and the head, so
// this class lets THtmFP in and no one else.
class THtmBasic {
public:
    THtmBasic();
    virtual ~THtmBasic();

    // The lines WriteUnitTable appended to: the block of the unit written last.
    const QList<QByteArray>& bodyLines() const { return FBodyLines; }

    // Appends the unit's table to FBodyLines: the opening tag with the unit's default colours and
    // text width, the markup of its extent (lines broken only right after an opening "<font "
    // once longer than 100 bytes), the closing tags.
    void WriteUnitTable(const TAnsiImage& unit);

private:
    friend class THtmFP;

    // FTailLines := the page's closing line.
    void WriteTail();

    QList<QByteArray> FHeadLines;
    QList<QByteArray> FTailLines;
    QList<QByteArray> FBodyLines;
    QString FFileName;
    QByteArray FTitle;        // bytes in the code page, as typed; written with " & < > escaped
    QByteArray FBackColorHex; // written as held, with " & < > escaped
    QByteArray FFontColorHex;
};

// The self-playing page: the template spliced around the generated declarations, one block per
// unit of the film strip.
//
// A writer keeps only what it reads once, the template, and the line lists it rebuilds for every
// page. The document, the page's file name and its options are handed to WritePage together, for
// that one page: FFilm, FFileName, FTitle, FBackColorHex, FFontColorHex, FSpeed and FShowButtons
// hold them while it is written. Nobody sets the writer's fields by hand, and no page is written
// with a document or options left over from another.
class THtmFP : public THtmBasic {
public:
    // The lines a page takes from the template: 1-10, 12-52 and 54 or 55.
    static constexpr int kTemplateLines = 55;

    // Reads the template, one entry per line (lines end at CR, LF or CR LF; bytes unchanged).
    // Throws FileError when it cannot be read, InputRefused when it is not a regular file or
    // larger than 4 MB.
    explicit THtmFP(const QString& scriptPath);
    ~THtmFP() override;

    // The template's lines as read.
    const QList<QByteArray>& script() const { return FScript; }

    // Writes the page of film's units with options to fileName through a QSaveFile: the page
    // replaces an existing file only when it was written completely. Throws TemplateError (before
    // touching any file) when the template is short, FileError when the page cannot be written.
    void WritePage(const TFilmPanel& film, const PageOptions& options, const QString& fileName);
    // Writes each line followed by CR LF to the open page. Throws FileError, naming the page being
    // written, when the device refuses the bytes.
    void WriteLines(QIODevice& page, const QList<QByteArray>& lines) const;

private:
    // The steps of WritePage, on the page it was handed.
    // FHeadLines := page lines 1 to 9. Throws TemplateError when the template has fewer than 55 lines.
    // When some unit has a duration of its own, one line more follows the declaration of width:
    // "var delays=[...];", every unit's duration in milliseconds in strip order, 0 for none.
    void WriteHead();
    // FBodyLines := the block of unit index (from 0), with the id "text" + (index + 1).
    void WriteUnitBlock(int index);

    QList<QByteArray> FScript;
    const TFilmPanel* FFilm = nullptr; // the document of the page being written; not owned
    std::int32_t FSpeed = 0;           // frame delay in milliseconds
    bool FShowButtons = false;
    QString m_scriptPath;     // named in TemplateError
    mutable QByteArray m_out; // the bytes of one line list on their way to the file, reused
};

} // namespace quillet

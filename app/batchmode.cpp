#include "batchmode.h"

#include "animationexport.h"
#include "animationfile.h"
#include "animationframes.h"
#include "apngwriter.h"
#include "colorconvert.h"
#include "colorhex.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "gbktext.h"
#include "gifwriter.h"
#include "inputfile.h"
#include "pagewriter.h"
#include "pathcheck.h"
#include "pictureexport.h"
#include "savefile.h"
#include "settings.h"
#include "webpwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <cerrno>
#include <memory>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>

namespace quillet {
namespace {

enum class ExportKind { None, Mmt, Png, Html, Gif, Webp, Apng };

struct BatchOptions {
    ExportKind kind = ExportKind::None;
    QString output;
    std::optional<int> byteModePosition; // position in the byte-mode list: 0 auto, 1 single, 2 double
    std::optional<TColor> unitBack;
    std::optional<TColor> unitFont;
    std::optional<QString> title;
    std::optional<int> speed;
    bool buttons = false;
    std::optional<QString> pageBack;
    std::optional<QString> pageFont;
    QString scriptPath;
    std::optional<int> scale;
    std::optional<LoopMode> loop;
    QStringList inputs;
    bool help = false;
    bool version = false;
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const char kUsage[] = "Usage: quillet [FILE]                       start the editor, opening FILE (.mmt or .txt)\n"
                      "       quillet --export-mmt=OUT.mmt [options] INPUT...\n"
                      "       quillet --export-png=DIR [options] INPUT...\n"
                      "       quillet --export-html=OUT.htm [options] [page options] INPUT...\n"
                      "       quillet --export-gif=OUT.gif [options] [animation options] INPUT...\n"
                      "       quillet --export-webp=OUT.webp [options] [animation options] INPUT...\n"
                      "       quillet --export-apng=OUT.png [options] [animation options] INPUT...\n"
                      "       quillet --register-file-type | --help | --version\n"
                      "\n"
                      "INPUT is an animation file (.mmt: its units are appended) or a text page (.txt: one unit,\n"
                      "coloured by the .clo file beside it). At most 50 units in all.\n"
                      "\n"
                      "Options (the default comes from Tevrano.ini next to the program, then the built-in value):\n"
                      "  --byte-mode=auto|single|double   byte mode of new units\n"
                      "  --unit-back=RRGGBB               background colour of new units\n"
                      "  --unit-font=RRGGBB               text colour of new units\n"
                      "Page options (--export-html):\n"
                      "  --title=TEXT                     page title\n"
                      "  --speed=MS                       frame delay in milliseconds\n"
                      "  --buttons                        show the play controls on the page\n"
                      "  --page-back=TEXT                 page background colour text (e.g. FFFFFF)\n"
                      "  --page-font=TEXT                 page text colour text (e.g. 000000)\n"
                      "  --script=PATH                    page template (default: Script.txt next to the program)\n"
                      "Animation options (--export-gif, --export-webp, --export-apng): --speed and --page-back as\n"
                      "for the page (each unit's text area is a frame on the page background colour, shown for the\n"
                      "frame delay), and\n"
                      "  --scale=1..4                     every pixel becomes that many pixels a side (default 1)\n"
                      "  --loop=forever|once|pingpong     how the frames repeat (default forever; pingpong plays\n"
                      "                                   them forward, then back, again and again)\n";

TColor parseColourOption(const QString& name, const QString& value) {
    static const QRegularExpression sixDigits(QStringLiteral("^[0-9A-Fa-f]{6}$"));
    if (!sixDigits.match(value).hasMatch())
        throw UsageError(
            QStringLiteral("%1 wants six hexadecimal digits RRGGBB, not \"%2\"").arg(name, value).toStdString());
    return HexToColor(value);
}

int parseByteMode(const QString& value) {
    if (value == QLatin1String("auto")) return 0;
    if (value == QLatin1String("single")) return 1;
    if (value == QLatin1String("double")) return 2;
    throw UsageError(QStringLiteral("--byte-mode wants auto, single or double, not \"%1\"").arg(value).toStdString());
}

int parseScale(const QString& value) {
    static const QRegularExpression oneToFour(QStringLiteral("^[1-4]$"));
    if (!oneToFour.match(value).hasMatch())
        throw UsageError(QStringLiteral("--scale wants 1, 2, 3 or 4, not \"%1\"").arg(value).toStdString());
    return value.toInt();
}

LoopMode parseLoop(const QString& value) {
    if (value == QLatin1String("forever")) return LoopMode::Forever;
    if (value == QLatin1String("once")) return LoopMode::Once;
    if (value == QLatin1String("pingpong")) return LoopMode::PingPong;
    throw UsageError(QStringLiteral("--loop wants forever, once or pingpong, not \"%1\"").arg(value).toStdString());
}

void setExport(BatchOptions& options, ExportKind kind, const QString& output) {
    if (options.kind != ExportKind::None) throw UsageError("give one --export-... option");
    if (output.isEmpty()) throw UsageError("an --export-... option needs a file or folder name");
    options.kind = kind;
    options.output = output;
}

BatchOptions parseArguments(const QStringList& arguments) {
    BatchOptions options;
    bool onlyInputs = false;
    for (const QString& argument : arguments) {
        if (onlyInputs || !argument.startsWith(QLatin1String("--"))) {
            options.inputs << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            onlyInputs = true;
            continue;
        }
        const qsizetype eq = argument.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? argument : argument.left(eq);
        const QString value = eq < 0 ? QString() : argument.mid(eq + 1);
        const bool hasValue = eq >= 0;
        auto needValue = [&] {
            if (!hasValue) throw UsageError(QStringLiteral("%1 needs a value: %1=...").arg(name).toStdString());
        };
        auto noValue = [&] {
            if (hasValue) throw UsageError(QStringLiteral("%1 takes no value").arg(name).toStdString());
        };
        if (name == QLatin1String("--export-mmt")) {
            needValue();
            setExport(options, ExportKind::Mmt, value);
        } else if (name == QLatin1String("--export-png")) {
            needValue();
            setExport(options, ExportKind::Png, value);
        } else if (name == QLatin1String("--export-html")) {
            needValue();
            setExport(options, ExportKind::Html, value);
        } else if (name == QLatin1String("--export-gif")) {
            needValue();
            setExport(options, ExportKind::Gif, value);
        } else if (name == QLatin1String("--export-webp")) {
            needValue();
            setExport(options, ExportKind::Webp, value);
        } else if (name == QLatin1String("--export-apng")) {
            needValue();
            setExport(options, ExportKind::Apng, value);
        } else if (name == QLatin1String("--scale")) {
            needValue();
            options.scale = parseScale(value);
        } else if (name == QLatin1String("--loop")) {
            needValue();
            options.loop = parseLoop(value);
        } else if (name == QLatin1String("--byte-mode")) {
            needValue();
            options.byteModePosition = parseByteMode(value);
        } else if (name == QLatin1String("--unit-back")) {
            needValue();
            options.unitBack = parseColourOption(name, value);
        } else if (name == QLatin1String("--unit-font")) {
            needValue();
            options.unitFont = parseColourOption(name, value);
        } else if (name == QLatin1String("--title")) {
            needValue();
            options.title = value;
        } else if (name == QLatin1String("--speed")) {
            needValue();
            bool ok = false;
            const int speed = value.toInt(&ok);
            if (!ok || speed < 0)
                throw UsageError(QStringLiteral("--speed wants milliseconds, not \"%1\"").arg(value).toStdString());
            options.speed = speed;
        } else if (name == QLatin1String("--buttons")) {
            noValue();
            options.buttons = true;
        } else if (name == QLatin1String("--page-back")) {
            needValue();
            options.pageBack = value;
        } else if (name == QLatin1String("--page-font")) {
            needValue();
            options.pageFont = value;
        } else if (name == QLatin1String("--script")) {
            needValue();
            options.scriptPath = value;
        } else if (name == QLatin1String("--help")) {
            noValue();
            options.help = true;
        } else if (name == QLatin1String("--version")) {
            noValue();
            options.version = true;
        } else {
            throw UsageError(QStringLiteral("unknown option %1").arg(name).toStdString());
        }
    }
    return options;
}

[[noreturn]] void refuseUnencodable(const QString& text) {
    throw UsageError(QStringLiteral("\"%1\" holds characters the GBK code page cannot hold").arg(text).toStdString());
}

QByteArray toCodePage(const QString& text) {
    QStringList unencodable;
    QByteArray bytes = EncodeGbkText(text, &unencodable);
    if (!unencodable.isEmpty()) refuseUnencodable(text);
    return bytes;
}

// A stored page text, refused like a given one when the settings file holds what GBK cannot.
QByteArray storedCodePage(const QByteArray& bytes, const QString& unencodable) {
    if (!unencodable.isEmpty()) refuseUnencodable(unencodable);
    return bytes;
}

// Settings next to the program, read only when the file is there. A file that cannot be read is
// reported and the built-in values stand in for it; one that is refused unread (not a regular file,
// or far too large) ends the run like any other refused input.
std::optional<StoredSettings> readStoredSettings(const QString& programDir, QTextStream& err) {
    try {
        return LoadSettingsFile(programDir + QStringLiteral("Tevrano.ini"));
    } catch (const InputRefused&) {
        throw;
    } catch (const FileError& error) {
        err << QStringLiteral("quillet: ") << error.message() << QStringLiteral(": the built-in settings are used")
            << Qt::endl;
        return std::nullopt;
    }
}

void applyUnitDefaults(TFilmPanel& strip, const BatchOptions& options, const std::optional<StoredSettings>& stored) {
    if (stored) {
        strip.SetDefaultColors(stored->defaultBackColor, stored->defaultFontColor);
        strip.SetByteMode(stored->defaultByteMode);
    }
    if (options.byteModePosition) strip.SetByteMode(*options.byteModePosition);
    strip.SetDefaultColors(options.unitBack.value_or(strip.defaultBackColor()),
                           options.unitFont.value_or(strip.defaultFontColor()));
}

bool isAnimationFile(const QString& path) {
    return path.endsWith(QLatin1String(".mmt"), Qt::CaseInsensitive);
}

void checkInputNames(const QStringList& inputs) {
    for (const QString& input : inputs) {
        if (!isAnimationFile(input) && !input.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
            throw UsageError(QStringLiteral("%1 is neither an animation file (.mmt) nor a text page (.txt)")
                                 .arg(input)
                                 .toStdString());
    }
}

void checkInput(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) throw FileError::fromErrno(path, EISDIR);
}

// Reads every input into the strip, at most 50 units in all. Returns false when "文件不存在".
bool fillStrip(TFilmPanel& strip, const QStringList& inputs, QTextStream& err) {
    bool notAllRead = false;
    for (const QString& input : inputs) {
        if (!PathExists(input)) {
            err << QStringLiteral("文件不存在: ") << input << Qt::endl;
            return false;
        }
        checkInput(input);
        const int room = TFilmPanel::kMaxUnits - strip.count();
        if (isAnimationFile(input)) {
            const AnimationRecords records = ReadAnimationFile(input, room);
            AppendRecords(strip, records);
            notAllRead = notAllRead || records.notAllRead();
            if (!records.notice.isEmpty()) err << input << QStringLiteral(": ") << records.notice << Qt::endl;
        } else if (room == 0) {
            notAllRead = true;
        } else {
            const ImportReport report = strip.AddTextUnit(input);
            if (report.colorListFailed) {
                err << kColorListErrorText << QStringLiteral(": ") << ColorFilePath(input);
                if (!report.colorListError.isEmpty()) err << QStringLiteral(": ") << report.colorListError;
                err << Qt::endl;
            }
        }
    }
    if (notAllRead) err << kNotAllDataText << Qt::endl;
    return true;
}

QString pictureName(int index) {
    return QStringLiteral("unit-%1.png").arg(index + 1, 3, 10, QLatin1Char('0'));
}

void removeFile(const QString& path) {
    QFile file(path);
    if (!file.remove()) throw FileError(path, file.errorString());
}

// The pictures an earlier export may have left in the folder, by name. Links of such names are
// removed, never followed: every picture is written afresh as a file of its own. Throws FileError,
// before anything is changed, for an entry of such a name that is neither a regular file nor a link.
QStringList earlierPictures(const QString& folder) {
    static const QRegularExpression picture(QStringLiteral("^unit-[0-9]{3}\\.png$"));
    const QDir dir(folder);
    QStringList files;
    QStringList links;
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (!picture.match(name).hasMatch()) continue;
        const QString path = dir.filePath(name);
        struct stat info {};
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0) throw FileError::fromErrno(path, errno);
        if (S_ISREG(info.st_mode))
            files << name;
        else if (S_ISLNK(info.st_mode))
            links << path;
        else
            throw FileError(path, QStringLiteral("not a regular file: it is neither replaced nor removed"));
    }
    for (const QString& link : links)
        removeFile(link);
    return files;
}

// Leaves the folder holding exactly the pictures of this export: unit-001.png and on, one for each
// unit that is not empty. Pictures left by an earlier export under other numbers are removed;
// nothing else in the folder is touched.
void writePictures(const TFilmPanel& strip, const QString& folder, QTextStream& err) {
    if (!QDir().mkpath(folder)) {
        const bool blocked = QFileInfo::exists(folder) && !QFileInfo(folder).isDir();
        throw FileError::fromErrno(folder, blocked ? ENOTDIR : (errno ? errno : EACCES));
    }
    const QStringList earlier = earlierPictures(folder);
    QSet<QString> written;
    auto path = [&](int i) { return QDir(folder).filePath(pictureName(i)); };
    // Drawn and encoded on every processor, written here in the strip's order; encoded in memory
    // first, so that a full disk is reported in the system's words.
    EncodePictures(
        strip, path,
        [&](int i, const QByteArray& png) {
            if (png.isEmpty()) {
                err << QStringLiteral("unit %1 is empty: no picture written").arg(i + 1) << Qt::endl;
                return;
            }
            SaveFile file(path(i));
            file.write(png);
            file.commit();
            written << pictureName(i);
        },
        {});
    for (const QString& name : earlier) {
        if (!written.contains(name)) removeFile(QDir(folder).filePath(name));
    }
}

void writePage(const TFilmPanel& strip, const BatchOptions& options, const std::optional<StoredSettings>& stored,
               const QString& programDir) {
    const QString script =
        options.scriptPath.isEmpty() ? programDir + QStringLiteral("Script.txt") : options.scriptPath;
    THtmFP writer(script);
    // The stored (or built-in) options, with what the flags give in their place.
    const StoredSettings settings = stored.value_or(StoredSettings());
    PageOptions page = settings.page;
    page.title = toCodePage(options.title.value_or(QString()));
    if (options.speed) page.speed = *options.speed;
    page.showButtons = options.buttons;
    page.backColorHex = options.pageBack ? toCodePage(*options.pageBack)
                                         : storedCodePage(page.backColorHex, settings.unencodableBackColor);
    page.fontColorHex = options.pageFont ? toCodePage(*options.pageFont)
                                         : storedCodePage(page.fontColorHex, settings.unencodableFontColor);
    writer.WritePage(strip, page, options.output);
}

std::unique_ptr<AnimationWriter> animationWriter(ExportKind kind) {
    if (kind == ExportKind::Gif) return std::make_unique<GifWriter>();
    if (kind == ExportKind::Webp) return std::make_unique<WebpWriter>();
    return std::make_unique<ApngWriter>();
}

// Every unit's text area a frame on the page colour (read from its text as the preview reads it),
// each shown for the page's frame delay. The writer's notices go to err.
void writeAnimation(const TFilmPanel& strip, const BatchOptions& options, const std::optional<StoredSettings>& stored,
                    QTextStream& err) {
    const StoredSettings settings = stored.value_or(StoredSettings());
    const QString backText = options.pageBack ? *options.pageBack : DecodeGbkText(settings.page.backColorHex);
    const AnimationOptions animation{options.scale.value_or(1), options.loop.value_or(LoopMode::Forever)};
    const std::vector<QImage> areas = DrawTextAreas(strip, {});
    const std::vector<int> durations(areas.size(), options.speed.value_or(settings.page.speed));
    const std::vector<AnimationFrame> frames =
        ComposeFrames(areas, durations, RgbOf(HexToColor(backText)), animation.loop);
    if (frames.empty()) throw FileError(options.output, QStringLiteral("no unit shows anything: no animation written"));
    const std::unique_ptr<AnimationWriter> writer = animationWriter(options.kind);
    for (const QString& notice : SaveAnimation(*writer, frames, animation, options.output, {}))
        err << notice << Qt::endl;
}

// 0 when everything written to out reached its device; otherwise 1, after saying why on err.
int finishOutput(QTextStream& out, QTextStream& err) {
    out.flush();
    if (out.status() == QTextStream::Ok) return 0;
    const QIODevice* device = out.device();
    err << QStringLiteral("quillet: standard output: ")
        << (device && !device->errorString().isEmpty() ? device->errorString() : QStringLiteral("write failed"))
        << Qt::endl;
    return 1;
}

} // namespace

bool IsBatchInvocation(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("--export-")) || argument == QLatin1String("--help") ||
            argument == QLatin1String("--version"))
            return true;
    }
    return false;
}

int RunBatch(const QStringList& arguments, const QString& programDir, QTextStream& out, QTextStream& err) {
    BatchOptions options;
    try {
        options = parseArguments(arguments);
        if (options.help) {
            out << kUsage;
            return finishOutput(out, err);
        }
        if (options.version) {
            out << QStringLiteral("quillet %1").arg(QStringLiteral(QUILLET_VERSION)) << Qt::endl;
            return finishOutput(out, err);
        }
        if (options.kind == ExportKind::None) throw UsageError("nothing to do: give an --export-... option");
        if (options.inputs.isEmpty()) throw UsageError("no input files");
        checkInputNames(options.inputs);
    } catch (const UsageError& error) {
        err << QStringLiteral("quillet: ") << QString::fromStdString(error.what()) << Qt::endl << Qt::endl << kUsage;
        return 2;
    }

    try {
        const std::optional<StoredSettings> stored = readStoredSettings(programDir, err);
        TFilmPanel strip;
        applyUnitDefaults(strip, options, stored);
        if (!fillStrip(strip, options.inputs, err)) return 1;
        switch (options.kind) {
        case ExportKind::Mmt:
            WriteAnimationFile(options.output, strip);
            break;
        case ExportKind::Png:
            writePictures(strip, options.output, err);
            break;
        case ExportKind::Html:
            writePage(strip, options, stored, programDir);
            break;
        case ExportKind::Gif:
        case ExportKind::Webp:
        case ExportKind::Apng:
            writeAnimation(strip, options, stored, err);
            break;
        case ExportKind::None:
            break;
        }
    } catch (const FileError& error) {
        err << QStringLiteral("quillet: ") << error.message() << Qt::endl;
        return 1;
    } catch (const UsageError& error) {
        err << QStringLiteral("quillet: ") << QString::fromStdString(error.what()) << Qt::endl;
        return 2;
    } catch (const std::exception& error) {
        err << QStringLiteral("quillet: ") << QString::fromStdString(error.what()) << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace quillet

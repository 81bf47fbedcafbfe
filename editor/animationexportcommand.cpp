#include "animationexportcommand.h"

#include "animationexport.h"
#include "animationframes.h"
#include "ansiimage.h"
#include "apngwriter.h"
#include "colorconvert.h"
#include "colorhex.h"
#include "dialogfolder.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "gbktext.h"
#include "gifwriter.h"
#include "pageoptions.h"
#include "unitpictures.h"
#include "webpwriter.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>

#include <atomic>
#include <exception>

namespace quillet {

namespace {

// The unit's text area as its picture shows it; null when the area is empty. A picture the views
// do not keep is drawn for this copy alone and let go, so the export leaves the kept ones as they are.
QImage textArea(const TAnsiImage& unit, const UnitPictures& pictures) {
    const QRect area = unit.TextArea();
    return area.isEmpty() ? QImage() : pictures.drawnPicture(unit).copy(area);
}

} // namespace

AnimationExportCommand::AnimationExportCommand(QWidget* window, Prompts& prompts, DialogFolder& dialogFolder)
    : QObject(window), m_window(window), m_prompts(prompts), m_dialogFolder(dialogFolder) {
    m_writers.push_back(std::make_unique<GifWriter>());
    m_writers.push_back(std::make_unique<WebpWriter>());
    m_writers.push_back(std::make_unique<ApngWriter>());
}

AnimationExportCommand::~AnimationExportCommand() = default;

void AnimationExportCommand::run(const TFilmPanel& strip, const UnitPictures& pictures, const PageOptions& page,
                                 const QString& proposal) {
    QStringList formats;
    for (const auto& writer : m_writers)
        formats << writer->formatName();
    const std::optional<AnimationChoice> choice = m_prompts.animationChoice(formats, m_last);
    if (!choice) return;
    m_last = *choice;
    const AnimationWriter& writer = *m_writers.at(static_cast<std::size_t>(choice->format));
    const QString extension = writer.fileExtension();
    const QString name = m_prompts.saveFileName(tr("导出动画"), proposal + QLatin1Char('.') + extension,
                                                QStringLiteral("*.%1 (*.%1)").arg(extension), extension);
    if (name.isEmpty()) return;
    m_dialogFolder.remember(name);
    if (QFileInfo::exists(name) && !m_prompts.confirm(ReplaceQuestion(name))) return;

    // The pictures are drawn here, where the glyphs are; the worker has copies of everything it reads.
    std::vector<QImage> areas;
    for (int i = 0; i < strip.count(); ++i)
        areas.push_back(textArea(strip.GetUnit(i), pictures));
    const std::vector<int> durations(areas.size(), page.speed);
    const QRgb background = RgbOf(HexToColor(DecodeGbkText(page.backColorHex)));

    QProgressDialog progress(tr("正在导出动画……"), tr("取消"), 0, 0, m_window);
    progress.setWindowTitle(tr("导出动画"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    std::atomic<bool> cancel{false};
    connect(&progress, &QProgressDialog::canceled, this, [&cancel] { cancel = true; });
    ExportControl control;
    control.cancel = &cancel;
    control.progress = [&progress](int done, int total) {
        QMetaObject::invokeMethod(
            &progress,
            [&progress, done, total] {
                progress.setMaximum(total);
                progress.setValue(done);
            },
            Qt::QueuedConnection);
    };

    QStringList notices;
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            const std::vector<AnimationFrame> frames =
                ComposeFrames(areas, durations, background, choice->options.loop);
            if (frames.empty()) throw FileError(name, tr("没有可以显示的单元"));
            notices = SaveAnimation(writer, frames, choice->options, name, control);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop waiting;
    connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    worker->start();
    waiting.exec();
    worker->wait();
    progress.close();

    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const ExportCancelled&) {
        return;
    } catch (const FileError& error) {
        m_prompts.critical(error.message());
        return;
    } catch (const std::exception& error) {
        m_prompts.critical(QString::fromUtf8(error.what()));
        return;
    }
    if (!notices.isEmpty()) m_prompts.message(notices.join(QLatin1Char('\n')));
}

} // namespace quillet

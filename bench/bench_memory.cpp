// What the editor holds in memory with a document open, and the waits that come with the pictures.
// Run without arguments, the program runs itself twice, each time in a process of its own: once
// with the sample document, once with a 50-unit full document written to a temporary folder. Each
// run starts the real main window (1200 x 800, off screen), opens its document through the open
// command and waits for the window to paint, then scrolls the film view from top to bottom one
// step at a time, letting each step paint, and reads the process's resident memory (VmRSS, and the
// peak VmHWM) from /proc/self/status. It prints, per document: the open time to a painted window;
// for the scroll steps that bring a unit into view, the time until the step is painted and the
// time until the editor is idle again (what it does between events included; the glyphs are
// already made, as after the first paint of a document); the resident memory of the window shown
// before the document is opened (the same for both runs), after opening, after
// the scroll, and after the scroll once the C library has handed its free memory back to the
// system (malloc_trim: what the editor still holds, without what the allocator keeps); the peak;
// then the ratio of the two documents' resident memory after the scroll.
#include "editorbenchdata.h"
#include "filmpanel.h"
#include "filmview.h"
#include "mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillet;
using quillet::bench::SilentPrompts;

namespace {

// A value of /proc/self/status in kB ("VmRSS", "VmHWM"), or -1.
long statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Lets the window system deliver the show and paint events.
void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One measured run, in this process: prints the fields of a Result.
int measure(const QString& document, const QString& programDir) {
    SilentPrompts prompts;
    prompts.openName = document;
    TForm_movie window(prompts, {}, programDir);
    window.resize(1200, 800);
    window.show();
    settle();
    const long shownKb = statusKb("VmRSS");

    QElapsedTimer clock;
    clock.start();
    bench::trigger(window, "TB_open");
    settle();
    const double openMs = double(clock.nsecsElapsed()) / 1e6;
    const long openedKb = statusKb("VmRSS");
    const TFilmPanel& strip = window.document();
    if (strip.count() == 0) return 1;

    // Steps of a quarter of the view's height, as a wheel or the scroll bar's arrows move it; the
    // steps that bring a new unit's top into view are the ones timed.
    auto* view = window.findChild<FilmView*>(QStringLiteral("ScrollBox"));
    QScrollBar* bar = view->verticalScrollBar();
    const int step = std::max(1, view->viewport()->height() / 4);
    std::vector<double> unitPaints;
    std::vector<double> unitSteps;
    for (int top = 0; top < bar->maximum() + step;) {
        const int from = bar->value() + view->viewport()->height();
        top = std::min(top + step, bar->maximum());
        clock.restart();
        bar->setValue(top);
        view->viewport()->repaint();
        const double paintMs = double(clock.nsecsElapsed()) / 1e6;
        settle();
        const double stepMs = double(clock.nsecsElapsed()) / 1e6;
        const int to = top + view->viewport()->height();
        for (int i = 0; i < strip.count(); ++i) {
            const int unitTop = strip.GetUnit(i).geometry().top();
            if (unitTop >= from && unitTop < to) {
                unitPaints.push_back(paintMs);
                unitSteps.push_back(stepMs);
                break;
            }
        }
        if (top == bar->maximum()) break;
    }
    const long scrolledKb = statusKb("VmRSS");
    const long peakKb = statusKb("VmHWM");
    malloc_trim(0);
    std::printf("%d %.1f %.2f %.2f %ld %ld %ld %ld %ld\n", strip.count(), openMs, median(unitPaints), median(unitSteps),
                shownKb, openedKb, scrolledKb, statusKb("VmRSS"), peakKb);
    return 0;
}

struct Result {
    int units = 0;
    double openMs = 0, paintMs = 0, stepMs = 0;
    long shownKb = 0, openedKb = 0, scrolledKb = 0, trimmedKb = 0, peakKb = 0;
};

// Runs this program on one document in a process of its own.
bool runChild(const QString& document, const QString& programDir, Result& result) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {document, programDir});
    if (!child.waitForFinished(120000) || child.exitCode() != 0) return false;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 9) return false;
    result = {fields[0].toInt(),  fields[1].toDouble(), fields[2].toDouble(), fields[3].toDouble(), fields[4].toLong(),
              fields[5].toLong(), fields[6].toLong(),   fields[7].toLong(),   fields[8].toLong()};
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--write-full-document") == 0) {
        // The measured document, for tools/editor-memory.sh to open in the editor itself.
        return QFile::copy(bench::fullDocumentFolder().document, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    if (argc == 3) return measure(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));

    const bench::FullDocumentFolder& folder = bench::fullDocumentFolder();
    Result sample, full;
    if (!runChild(QStringLiteral(QUILLET_SAMPLE_DOCUMENT), folder.programDir(), sample) ||
        !runChild(folder.document, folder.programDir(), full)) {
        std::fprintf(stderr, "bench_memory: a measured run failed\n");
        return 1;
    }
    std::printf("Editor memory, window 1200 x 800, film view scrolled top to bottom (times: ms, memory: MB)\n");
    std::printf("%-22s %5s %7s %10s %9s %10s %9s %10s %8s %6s\n", "document", "units", "open", "unit paint",
                "unit step", "RSS window", "RSS open", "RSS scroll", "trimmed", "peak");
    for (const auto& [name, r] : {std::pair{"sample (demo.mmt)", sample}, std::pair{"full (50 full units)", full}})
        std::printf("%-22s %5d %7.1f %10.2f %9.2f %10.1f %9.1f %10.1f %8.1f %6.1f\n", name, r.units, r.openMs,
                    r.paintMs, r.stepMs, r.shownKb / 1024.0, r.openedKb / 1024.0, r.scrolledKb / 1024.0,
                    r.trimmedKb / 1024.0, r.peakKb / 1024.0);
    std::printf("RSS after the scroll, full / sample: %.2f (trimmed: %.2f)\n",
                double(full.scrolledKb) / double(sample.scrolledKb), double(full.trimmedKb) / double(sample.trimmedKb));
    return 0;
}

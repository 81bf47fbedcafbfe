// The editor window's two waits a user feels: start-up until the window is shown with the sample
// document, and opening a 50-unit full document until the window has painted and takes input
// again. Baselines in the same run: a bare main window shown, and the same file read into a film
// strip without any window.
#include "animationfile.h"
#include "benchdata.h"
#include "filmpanel.h"
#include "mainwindow.h"
#include "prompts.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace quillet;

namespace {

// Answers nothing: the measured paths ask no question.
class SilentPrompts : public Prompts {
public:
    void message(const QString&) override {}
    bool confirm(const QString&) override { return false; }
    Answer question(const QString&) override { return Answer::Cancel; }
    void critical(const QString&) override { std::abort(); }
    QString openFileName(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<TColor> color(TColor) override { return std::nullopt; }
};

struct ProgramFolder {
    QTemporaryDir dir;
    QString fullDocument;

    ProgramFolder() {
        if (!QFile::copy(QStringLiteral(QUILLET_SOURCE_DIR "/resources/Script.txt"), dir.filePath("Script.txt")))
            std::abort();
        TFilmPanel strip;
        AnimationRecords records;
        for (int u = 0; u < TFilmPanel::kMaxUnits; ++u)
            records.records.append(quillet::bench::fullDoubleUnit(u)->SaveToRecord());
        AppendRecords(strip, records);
        fullDocument = dir.filePath(QStringLiteral("满 文档.mmt"));
        WriteAnimationFile(fullDocument, strip);
    }
    QString path() const { return dir.path() + QLatin1Char('/'); }
};

ProgramFolder& folder() {
    static ProgramFolder f;
    return f;
}

// Lets the window system deliver the show and paint events.
void settle(QWidget& window) {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.isVisible());
}

void BM_StartUpWithSampleShown(benchmark::State& state) {
    SilentPrompts prompts;
    for (auto _ : state) {
        TForm_movie window(prompts, {QStringLiteral(QUILLET_SAMPLE_DOCUMENT)}, folder().path());
        window.show();
        settle(window);
        if (window.FilmStrip->FCount == 0) state.SkipWithError("the sample document did not open");
    }
}
BENCHMARK(BM_StartUpWithSampleShown)->Unit(benchmark::kMillisecond);

void BM_BareMainWindowShown(benchmark::State& state) {
    for (auto _ : state) {
        QMainWindow window;
        window.setCentralWidget(new QLabel(QStringLiteral("Quillet")));
        window.resize(679, 468);
        window.show();
        settle(window);
    }
}
BENCHMARK(BM_BareMainWindowShown)->Unit(benchmark::kMillisecond);

void BM_OpenFullDocumentInWindow(benchmark::State& state) {
    SilentPrompts prompts;
    TForm_movie window(prompts, {}, folder().path());
    window.resize(1024, 700);
    window.show();
    settle(window);
    for (auto _ : state) {
        state.PauseTiming();
        window.TB_NewClick();
        settle(window);
        state.ResumeTiming();
        window.LoadFromFile(folder().fullDocument);
        window.UpdateToolButtons();
        settle(window);
    }
    if (window.FilmStrip->FCount != TFilmPanel::kMaxUnits) state.SkipWithError("the document did not open whole");
}
BENCHMARK(BM_OpenFullDocumentInWindow)->Unit(benchmark::kMillisecond);

void BM_ReadFullDocumentIntoBareStrip(benchmark::State& state) {
    for (auto _ : state) {
        TFilmPanel strip;
        AppendRecords(strip, ReadAnimationFile(folder().fullDocument, TFilmPanel::kMaxUnits));
        benchmark::DoNotOptimize(strip.FCount);
    }
}
BENCHMARK(BM_ReadFullDocumentIntoBareStrip)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

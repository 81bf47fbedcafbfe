#pragma once

#include "animationfile.h"
#include "benchdata.h"
#include "filmpanel.h"
#include "prompts.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdlib>

namespace quillet::bench {

// Answers nothing but the open dialog, with `openName`: the measured paths ask no question, and an
// error message ends the program.
class SilentPrompts : public Prompts {
public:
    QString openName;

    void message(const QString&) override {}
    bool confirm(const QString&) override { return false; }
    bool confirmDefaultNo(const QString&) override { return false; }
    Answer question(const QString&) override { return Answer::Cancel; }
    void critical(const QString&) override { std::abort(); }
    QString openFileName(const QString&, const QString&, const QString&, const QString&) override { return openName; }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<TColor> color(TColor) override { return std::nullopt; }
    std::optional<AnimationChoice> animationChoice(const QStringList&, const AnimationChoice&) override {
        return std::nullopt;
    }
};

// A program folder in a temporary directory with the page template and a 50-unit document, every
// cell of every unit used, under a Chinese name with a blank.
struct FullDocumentFolder {
    QTemporaryDir dir;
    QString document;

    FullDocumentFolder() {
        if (!QFile::copy(QStringLiteral(QUILLET_SOURCE_DIR "/resources/Script.txt"), dir.filePath("Script.txt")))
            std::abort();
        TFilmPanel strip;
        AnimationRecords records;
        for (int u = 0; u < TFilmPanel::kMaxUnits; ++u)
            records.records.append(fullDoubleUnit(u)->SaveToRecord());
        AppendRecords(strip, records);
        document = dir.filePath(QStringLiteral("满 文档.mmt"));
        WriteAnimationFile(document, strip);
    }
    // The folder as the window takes it, ending in "/".
    QString programDir() const { return dir.path() + QLatin1Char('/'); }
};

// Triggers the window's action of that name, as its button or key does.
inline void trigger(const QWidget& window, const char* name) {
    QAction* action = window.findChild<QAction*>(QLatin1String(name));
    if (!action) std::abort();
    action->trigger();
}

// The one folder of the run, made when first asked for.
inline FullDocumentFolder& fullDocumentFolder() {
    static FullDocumentFolder folder;
    return folder;
}

} // namespace quillet::bench

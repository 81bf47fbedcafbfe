#pragma once

#include "prompts.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace quillet {

// Answers every question and dialog from lists the test fills beforehand, and records what was
// asked. A call with no answer left is recorded in `unexpected` and answered No / Cancel / nothing.
class ScriptedPrompts : public Prompts {
public:
    QList<bool> confirms;
    QList<Answer> questions;
    QStringList openNames;
    QStringList saveNames;
    QList<std::optional<TColor>> colors;
    QList<std::optional<AnimationChoice>> animationChoices;

    // "message: text", "confirm: text", "confirm-no: text", "question: text", "critical: text",
    // "open: filter", "save: filter", "color", "animation: formats", in the order shown. Both kinds of confirmation
    // take their answers from `confirms`.
    QStringList log;
    QStringList unexpected;
    // Called with each entry of `log` as it is made, before the prompt is answered.
    std::function<void(const QString& entry)> onPrompt;

    struct FileDialogCall {
        QString title;
        QString proposed;
        QString filter;
        QString suffix;
        QString folder; // the start folder an open dialog is given
    };
    QList<FileDialogCall> openCalls;
    QList<FileDialogCall> saveCalls;

    // Texts of the boxes of one kind ("message", "critical", ...), in order.
    QStringList shown(const QString& kind) const;
    // True when every scripted answer was used and nothing unexpected was asked.
    bool allAnswered() const;
    void clearLog();

    void message(const QString& text) override;
    bool confirm(const QString& text) override;
    bool confirmDefaultNo(const QString& text) override;
    Answer question(const QString& text) override;
    void critical(const QString& text) override;
    QString openFileName(const QString& title, const QString& folder, const QString& fileName,
                         const QString& filter) override;
    QString saveFileName(const QString& title, const QString& fileName, const QString& filter,
                         const QString& defaultSuffix) override;
    std::optional<TColor> color(TColor initial) override;
    std::optional<AnimationChoice> animationChoice(const QStringList& formats, const AnimationChoice& initial) override;

private:
    void record(const QString& entry);
    bool answerConfirm(const QString& entry);
};

} // namespace quillet

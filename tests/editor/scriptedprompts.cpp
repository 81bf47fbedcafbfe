#include "scriptedprompts.h"

namespace quillet {

QStringList ScriptedPrompts::shown(const QString& kind) const {
    const QString prefix = kind + QStringLiteral(": ");
    QStringList texts;
    for (const QString& entry : log) {
        if (entry.startsWith(prefix)) texts << entry.mid(prefix.size());
    }
    return texts;
}

bool ScriptedPrompts::allAnswered() const {
    return unexpected.isEmpty() && confirms.isEmpty() && questions.isEmpty() && openNames.isEmpty() &&
           saveNames.isEmpty() && colors.isEmpty() && animationChoices.isEmpty();
}

void ScriptedPrompts::clearLog() {
    log.clear();
    openCalls.clear();
    saveCalls.clear();
}

void ScriptedPrompts::record(const QString& entry) {
    log << entry;
    if (onPrompt) onPrompt(entry);
}

void ScriptedPrompts::message(const QString& text) {
    record(QStringLiteral("message: ") + text);
}

bool ScriptedPrompts::confirm(const QString& text) {
    return answerConfirm(QStringLiteral("confirm: ") + text);
}

bool ScriptedPrompts::confirmDefaultNo(const QString& text) {
    return answerConfirm(QStringLiteral("confirm-no: ") + text);
}

bool ScriptedPrompts::answerConfirm(const QString& entry) {
    record(entry);
    if (confirms.isEmpty()) {
        unexpected << entry;
        return false;
    }
    return confirms.takeFirst();
}

Prompts::Answer ScriptedPrompts::question(const QString& text) {
    record(QStringLiteral("question: ") + text);
    if (questions.isEmpty()) {
        unexpected << QStringLiteral("question: ") + text;
        return Answer::Cancel;
    }
    return questions.takeFirst();
}

void ScriptedPrompts::critical(const QString& text) {
    record(QStringLiteral("critical: ") + text);
}

QString ScriptedPrompts::openFileName(const QString& title, const QString& folder, const QString& fileName,
                                      const QString& filter) {
    record(QStringLiteral("open: ") + filter);
    openCalls.append({title, fileName, filter, QString(), folder});
    if (openNames.isEmpty()) {
        unexpected << QStringLiteral("open: ") + filter;
        return QString();
    }
    return openNames.takeFirst();
}

QString ScriptedPrompts::saveFileName(const QString& title, const QString& fileName, const QString& filter,
                                      const QString& defaultSuffix) {
    record(QStringLiteral("save: ") + filter);
    saveCalls.append({title, fileName, filter, defaultSuffix, QString()});
    if (saveNames.isEmpty()) {
        unexpected << QStringLiteral("save: ") + filter;
        return QString();
    }
    return saveNames.takeFirst();
}

std::optional<TColor> ScriptedPrompts::color(TColor initial) {
    Q_UNUSED(initial);
    record(QStringLiteral("color"));
    if (colors.isEmpty()) {
        unexpected << QStringLiteral("color");
        return std::nullopt;
    }
    return colors.takeFirst();
}

std::optional<AnimationChoice> ScriptedPrompts::animationChoice(const QStringList& formats,
                                                                const AnimationChoice& initial) {
    Q_UNUSED(initial);
    const QString entry = QStringLiteral("animation: ") + formats.join(QLatin1Char(' '));
    record(entry);
    if (animationChoices.isEmpty()) {
        unexpected << entry;
        return std::nullopt;
    }
    return animationChoices.takeFirst();
}

} // namespace quillet

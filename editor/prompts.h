#pragma once

#include "animationwriter.h"
#include "ansicell.h"

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace quillet {

// The question asked before the file `fileName` is replaced: the name, then "已经存在，是否覆盖它？",
// in the interface's language.
QString ReplaceQuestion(const QString& fileName);

// What the animation export's dialog chose.
struct AnimationChoice {
    int format = 0; // the index of the format in the list the dialog offered
    AnimationOptions options;
};

// Every question, notice and file or colour dialog the editor shows goes through this interface,
// so a test can answer them from a script.
class Prompts {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompts() = default;

    // A plain message box with an OK button.
    virtual void message(const QString& text) = 0;
    // A confirmation box with Yes (the default) and No; true for Yes. Closing the box answers No.
    virtual bool confirm(const QString& text) = 0;
    // A confirmation box for a Yes that loses something: No is the default and also the answer of
    // the Escape key and of closing the box. True for Yes.
    virtual bool confirmDefaultNo(const QString& text) = 0;
    // A question with Yes, No and Cancel; closing the box answers Cancel.
    virtual Answer question(const QString& text) = 0;
    // An error box with the system's description of what failed.
    virtual void critical(const QString& text) = 0;
    // An open-file dialog proposing `fileName` (a path, or a pattern inside `folder`); empty when cancelled.
    virtual QString openFileName(const QString& title, const QString& folder, const QString& fileName,
                                 const QString& filter) = 0;
    // A save-file dialog proposing `fileName`. A name typed without an extension gets `defaultSuffix`.
    // The dialog asks no overwrite question of its own. Empty when cancelled.
    virtual QString saveFileName(const QString& title, const QString& fileName, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // The colour dialog starting at `initial`; nothing when cancelled.
    virtual std::optional<TColor> color(TColor initial) = 0;
    // The animation export's dialog: one of `formats` (their names), the scale (1 to 4) and the
    // loop, starting at `initial`; nothing when cancelled.
    virtual std::optional<AnimationChoice> animationChoice(const QStringList& formats,
                                                           const AnimationChoice& initial) = 0;
};

// The real dialogs and message boxes, parented to the main window.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

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
    QWidget* m_parent;
};

} // namespace quillet

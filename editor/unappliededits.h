#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

namespace quillet {

// Tells whether the current unit's text box, colour fields and duration field hold changes that
// were not applied.
// What the fields show is compared with what they showed when they were last filled from the unit
// or applied to it, so filling them is no change, and neither is typing that is taken back.
class UnappliedEdits {
public:
    UnappliedEdits(const QPlainTextEdit& memo, const QLineEdit& backColor, const QLineEdit& fontColor,
                   const QLineEdit& duration);

    // The fields now show the unit as it is: they were just filled or applied.
    void settle();
    bool pending() const;
    // Only the duration field holds a change.
    bool durationOnlyPending() const;

private:
    bool textOrColorsPending() const;

    const QPlainTextEdit& m_memo;
    const QLineEdit& m_backColor;
    const QLineEdit& m_fontColor;
    const QLineEdit& m_duration;
    QString m_settledMemo;
    QString m_settledBack;
    QString m_settledFont;
    QString m_settledDuration;
};

} // namespace quillet

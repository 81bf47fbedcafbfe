#include "unappliededits.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace quillet {

UnappliedEdits::UnappliedEdits(const QPlainTextEdit& memo, const QLineEdit& backColor, const QLineEdit& fontColor,
                               const QLineEdit& duration)
    : m_memo(memo), m_backColor(backColor), m_fontColor(fontColor), m_duration(duration) {
    settle();
}

void UnappliedEdits::settle() {
    m_settledMemo = m_memo.toPlainText();
    m_settledBack = m_backColor.text();
    m_settledFont = m_fontColor.text();
    m_settledDuration = m_duration.text();
}

bool UnappliedEdits::pending() const {
    return textOrColorsPending() || m_duration.text() != m_settledDuration;
}

bool UnappliedEdits::durationOnlyPending() const {
    return !textOrColorsPending() && m_duration.text() != m_settledDuration;
}

bool UnappliedEdits::textOrColorsPending() const {
    return m_memo.toPlainText() != m_settledMemo || m_backColor.text() != m_settledBack ||
           m_fontColor.text() != m_settledFont;
}

} // namespace quillet

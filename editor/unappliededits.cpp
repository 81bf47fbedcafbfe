#include "unappliededits.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace quillet {

UnappliedEdits::UnappliedEdits(const QPlainTextEdit& memo, const QLineEdit& backColor, const QLineEdit& fontColor)
    : m_memo(memo), m_backColor(backColor), m_fontColor(fontColor) {
    settle();
}

void UnappliedEdits::settle() {
    m_settledMemo = m_memo.toPlainText();
    m_settledBack = m_backColor.text();
    m_settledFont = m_fontColor.text();
}

bool UnappliedEdits::pending() const {
    return m_memo.toPlainText() != m_settledMemo || m_backColor.text() != m_settledBack ||
           m_fontColor.text() != m_settledFont;
}

} // namespace quillet

#pragma once

#include <QPlainTextEdit>

namespace quillet {

// The current unit's text box. Tab moves on to the next control as in every other field;
// Ctrl+Tab types a tab into the text.
class MemoEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MemoEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace quillet

#include "textfieldkeys.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace quillet {

TextFieldKeys::TextFieldKeys(QWidget* window, const QList<QAction*>& commands) : QObject(window), m_commands(commands) {
    window->installEventFilter(this);
}

bool TextFieldKeys::isTextField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

bool TextFieldKeys::eventFilter(QObject* watched, QEvent* event) {
    // A key is offered to the focused widget and then to its parents before it may start a
    // command; accepting the offer hands the key to the field as a plain key press.
    if (event->type() != QEvent::ShortcutOverride) return false;
    if (!isTextField(static_cast<QWidget*>(watched)->focusWidget())) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
    for (const QAction* command : std::as_const(m_commands)) {
        if (command->shortcuts().contains(pressed)) {
            key->accept();
            return true;
        }
    }
    return false;
}

} // namespace quillet

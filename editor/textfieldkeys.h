#pragma once

#include <QList>
#include <QObject>

class QAction;
class QWidget;

namespace quillet {

// Leaves the keys of some window-wide commands to the window's text fields: while a line edit, a
// text box or a spin box has the focus, those keys do what the field does and the commands do not
// run. The commands' keys that no field uses stay window-wide.
class TextFieldKeys : public QObject {
public:
    // Watches `window`, of which it becomes a child.
    TextFieldKeys(QWidget* window, const QList<QAction*>& commands);

    // A field the user types text into: line edits, text boxes and spin boxes, read-only ones too.
    static bool isTextField(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QAction*> m_commands;
};

} // namespace quillet

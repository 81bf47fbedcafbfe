#pragma once

#include <QLabel>
#include <QStatusBar>

namespace quillet {

// A status bar panel that can be clicked.
class StatusPanel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The panel that shows the document's file name. A name too long for the panel (8 pixels per byte)
// is shortened to the bare file name and the full name becomes the panel's hint.
class FileNamePanel : public StatusPanel {
    Q_OBJECT
public:
    explicit FileNamePanel(QWidget* parent = nullptr);

    // Shows `name` by the rule above and remembers it, so a resize applies the rule again.
    void ShowFileName(const QString& name);
    // Shows a text as it is, without a hint.
    void showPlainText(const QString& text);
    // Stops showing the hint until the next ShowFileName.
    void hideHint();
    bool hintShown() const { return m_hintShown; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void apply();
    QString m_name;
    bool m_hintShown = false;
    bool m_followsName = false;
};

// The status bar: unit number, unit size, colour indicator, two hidden action panels and the file name.
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget* parent = nullptr);

    // The current unit: "单元：number/count", "尺寸：cols×rows" and the colour indicator.
    void showUnit(int number, int count, int cols, int rows, bool hasColor);
    // No unit is current: "单元：0/0", "尺寸：0x0", and the file name's hint is hidden.
    void showNoUnit();
    // The file panel: a document's file name by its rule, or a text as it is.
    void showFileName(const QString& name);
    void showPlainFileName(const QString& text);
    // The two action panels can be clicked only while the document has units.
    void setUnitPanelsEnabled(bool enabled);

signals:
    // The edit panel was clicked: the user asks to open the current unit's source file.
    void editSourceRequested();

public:
    StatusPanel* bsSkinStatusPanel_0;
    StatusPanel* bsSkinStatusPanel_1;
    StatusPanel* bsSkinStatusPanel_color;
    StatusPanel* Panl_Edit;
    StatusPanel* Panl_reload;
    FileNamePanel* bsSkinStatusPanel_4;

    // The indicator picture: "COLORYES" when the current unit holds colour content, else "COLORNO".
    void ShowColorFlag(bool flag);
    bool colorFlag() const { return m_colorFlag; }

private:
    bool m_colorFlag = false;
};

} // namespace quillet

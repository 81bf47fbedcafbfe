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

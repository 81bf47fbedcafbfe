#include "statuspanels.h"

#include "pictures.h"

#include <QMouseEvent>

namespace quillet {

void StatusPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
    QLabel::mousePressEvent(event);
}

FileNamePanel::FileNamePanel(QWidget* parent) : StatusPanel(QStringLiteral("File:"), parent) {
    setToolTip(tr("当前文件及路径"));
    m_hintShown = true;
}

void FileNamePanel::ShowFileName(const QString& name) {
    m_name = name;
    m_followsName = true;
    apply();
}

void FileNamePanel::showPlainText(const QString& text) {
    m_followsName = false;
    setText(text);
}

void FileNamePanel::hideHint() {
    m_hintShown = false;
    setToolTip(QString());
}

void FileNamePanel::apply() {
    // Bytes of the name as the file system holds it (UTF-8): a Chinese character counts three.
    const qsizetype bytes = m_name.toUtf8().size();
    if (bytes * 8 > width()) {
        const qsizetype slash = m_name.lastIndexOf(QLatin1Char('/'));
        setText(m_name.mid(slash + 1));
        setToolTip(m_name);
        m_hintShown = true;
    } else {
        setText(m_name);
        hideHint();
    }
}

void FileNamePanel::resizeEvent(QResizeEvent* event) {
    StatusPanel::resizeEvent(event);
    if (m_followsName) apply();
}

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("bsSkinStatusBar1"));
    setFixedHeight(25);
    setSizeGripEnabled(false);
    auto panel = [this](const QString& text, int width) {
        auto* p = new StatusPanel(text, this);
        p->setFrameShape(QFrame::StyledPanel);
        p->setFrameShadow(QFrame::Sunken);
        if (width > 0) p->setFixedWidth(width);
        addWidget(p);
        return p;
    };
    bsSkinStatusPanel_0 = panel(tr("第0贞"), 89);
    bsSkinStatusPanel_0->setObjectName(QStringLiteral("bsSkinStatusPanel_0"));
    bsSkinStatusPanel_1 = panel(QStringLiteral("300X200"), 96);
    bsSkinStatusPanel_1->setObjectName(QStringLiteral("bsSkinStatusPanel_1"));
    bsSkinStatusPanel_color = panel(QString(), 24);
    bsSkinStatusPanel_color->setToolTip(tr("是否包含色彩内容"));
    bsSkinStatusPanel_color->setAlignment(Qt::AlignCenter);
    ShowColorFlag(false);
    Panl_Edit = panel(QString(), 22);
    Panl_Edit->hide();
    Panl_reload = panel(QString(), 22);
    Panl_reload->hide();
    bsSkinStatusPanel_4 = new FileNamePanel(this);
    bsSkinStatusPanel_4->setObjectName(QStringLiteral("bsSkinStatusPanel_4"));
    bsSkinStatusPanel_4->setFrameShape(QFrame::StyledPanel);
    bsSkinStatusPanel_4->setFrameShadow(QFrame::Sunken);
    bsSkinStatusPanel_4->setMinimumWidth(40);
    bsSkinStatusPanel_4->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(bsSkinStatusPanel_4, 1);
    connect(Panl_Edit, &StatusPanel::clicked, this, &StatusPanels::editSourceRequested);
}

void StatusPanels::showUnit(int number, int count, int cols, int rows, bool hasColor) {
    bsSkinStatusPanel_0->setText(tr("单元：%1/%2").arg(number).arg(count));
    bsSkinStatusPanel_1->setText(tr("尺寸：%1×%2").arg(cols).arg(rows));
    ShowColorFlag(hasColor);
}

void StatusPanels::showNoUnit() {
    bsSkinStatusPanel_0->setText(tr("单元：0/0"));
    bsSkinStatusPanel_1->setText(tr("尺寸：0x0"));
    bsSkinStatusPanel_4->hideHint();
}

void StatusPanels::showFileName(const QString& name) {
    bsSkinStatusPanel_4->ShowFileName(name);
}

void StatusPanels::showPlainFileName(const QString& text) {
    bsSkinStatusPanel_4->showPlainText(text);
}

void StatusPanels::setUnitPanelsEnabled(bool enabled) {
    Panl_reload->setEnabled(enabled);
    Panl_Edit->setEnabled(enabled);
}

void StatusPanels::ShowColorFlag(bool flag) {
    m_colorFlag = flag;
    bsSkinStatusPanel_color->setAccessibleName(flag ? tr("包含色彩内容") : tr("不含色彩内容"));
    bsSkinStatusPanel_color->setPixmap(
        EditorPicture(flag ? QStringLiteral("COLORYES") : QStringLiteral("COLORNO")).pixmap(QSize(20, 20)));
}

} // namespace quillet

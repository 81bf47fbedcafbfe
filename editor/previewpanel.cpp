#include "previewpanel.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillet {

void PlayOrder::setMode(Mode mode) {
    m_mode = mode;
    m_direction = 1;
    m_restart = false;
}

int PlayOrder::next(int index, int count) {
    if (m_restart) {
        m_restart = false;
        return 0;
    }
    if (m_mode != PingPong) return index + 1 < count ? index + 1 : 0;
    if (count < 2) return 0;
    if (index + m_direction < 0 || index + m_direction >= count) m_direction = -m_direction;
    return index + m_direction;
}

PreviewPicture::PreviewPicture(QWidget* parent) : QWidget(parent), Picture(kWidth, kHeight, QImage::Format_RGB32) {
    Picture.fill(Qt::white);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), Picture, event->rect());
}

PreviewPanel::PreviewPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PreViewPanel"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    PreViewBox = new QGroupBox(tr("动画预览"), this);
    outer->addWidget(PreViewBox, 1);
    auto* inner = new QVBoxLayout(PreViewBox);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);

    // The picture stands at a fixed place and is cut off where the box ends; nothing scrolls.
    PreViewImage = new PreviewPicture(PreViewBox);
    PreViewImage->move(2, 22);
    inner->addStretch(1);

    auto* row = new QWidget(PreViewBox);
    row->setFixedHeight(26);
    auto* speedRow = new QHBoxLayout(row);
    speedRow->setContentsMargins(8, 3, 0, 3);
    speedRow->setSpacing(0);
    PreViewCaption = new QLabel(tr("滚动速度(ms):"), row);
    PreViewSpeedCaption = new QLabel(QStringLiteral("1000"), row);
    PreViewSpeedCaption->setFixedWidth(33);
    PreView_SpeedBar = new QSlider(Qt::Horizontal, row);
    PreView_SpeedBar->setFixedWidth(100);
    PreView_SpeedBar->setRange(0, 100);
    PreView_SpeedBar->setValue(60);
    bsBtnPvOK = new QPushButton(QStringLiteral("OK"), row);
    bsBtnPvOK->setFixedSize(41, 20);
    // The gaps of the designed places: the value right after the caption, then the bar and the button.
    speedRow->addWidget(PreViewCaption);
    speedRow->addSpacing(2);
    speedRow->addWidget(PreViewSpeedCaption);
    speedRow->addSpacing(14);
    speedRow->addWidget(PreView_SpeedBar);
    speedRow->addSpacing(13);
    speedRow->addWidget(bsBtnPvOK);
    speedRow->addStretch(1);
    inner->addWidget(row);
    auto* playRow = new QWidget(PreViewBox);
    playRow->setFixedHeight(26);
    buildPlayRow(playRow);
    inner->addWidget(playRow);

    PreViewImage->setObjectName(QStringLiteral("PreViewImage"));
    PreViewCaption->setObjectName(QStringLiteral("PreViewCaption"));
    PreViewSpeedCaption->setObjectName(QStringLiteral("PreViewSpeedCaption"));
    PreView_SpeedBar->setObjectName(QStringLiteral("PreView_SpeedBar"));
    bsBtnPvOK->setObjectName(QStringLiteral("bsBtnPvOK"));
    connect(PreView_SpeedBar, &QSlider::valueChanged, this, &PreviewPanel::speedBarMoved);
    connect(bsBtnPvOK, &QPushButton::clicked, this, &PreviewPanel::takeSpeedRequested);
    PreViewBox->installEventFilter(this);

    setAccessibleName(tr("动画预览"));
    setAccessibleDescription(tr("空格键暂停或继续；暂停时左右方向键逐帧后退或前进"));
    PreViewCaption->setBuddy(PreView_SpeedBar);
    PreView_SpeedBar->setAccessibleName(tr("滚动速度"));
    PreView_SpeedBar->setAccessibleDescription(tr("每帧显示的毫秒数；向右越长"));
    bsBtnPvOK->setAccessibleName(tr("采用这个速度"));
    bsBtnPvOK->setAccessibleDescription(tr("把预览的速度作为网页的速度，并关闭预览"));
}

void PreviewPanel::buildPlayRow(QWidget* row) {
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 3, 0, 3);
    layout->setSpacing(4);
    auto* caption = new QLabel(tr("播放方式:"), row);
    loopModeBox = new QComboBox(row);
    loopModeBox->addItems({tr("循环"), tr("往返"), tr("播放一次")});
    loopModeBox->setFixedHeight(20);
    loopModeBox->setMinimumWidth(90);
    layout->addWidget(caption);
    layout->addSpacing(6);
    layout->addWidget(loopModeBox);
    layout->addSpacing(4);
    connect(loopModeBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_order.setMode(static_cast<PlayOrder::Mode>(index)); });

    // The keys act while the focus is anywhere in the pane; clicking the picture puts it there.
    // Space is taken in keyPressEvent and eventFilter, so a button with the focus keeps it.
    setFocusPolicy(Qt::ClickFocus);
    const auto makeAction = [this](const QString& text, const char* name, const QKeySequence& keys) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        return action;
    };
    pauseAction = makeAction(tr("暂停"), "previewPause", QKeySequence());
    pauseAction->setToolTip(tr("暂停或继续播放（空格键）"));
    stepBackAction = makeAction(tr("上一帧"), "previewStepBack", QKeySequence(Qt::Key_Left));
    stepForwardAction = makeAction(tr("下一帧"), "previewStepForward", QKeySequence(Qt::Key_Right));
    connect(pauseAction, &QAction::triggered, this, &PreviewPanel::pauseRequested);
    connect(stepBackAction, &QAction::triggered, this, [this] { emit stepRequested(-1); });
    connect(stepForwardAction, &QAction::triggered, this, [this] { emit stepRequested(1); });

    const auto makeButton = [row, layout](QAction* action, int width) {
        auto* button = new QToolButton(row);
        button->setDefaultAction(action);
        button->setFixedHeight(20);
        button->setMinimumWidth(width);
        layout->addWidget(button);
        return button;
    };
    pauseButton = makeButton(pauseAction, 48);
    stepBackButton = makeButton(stepBackAction, 56);
    stepForwardButton = makeButton(stepForwardAction, 56);
    layout->addStretch(1);
    loopModeBox->setObjectName(QStringLiteral("loopModeBox"));
    caption->setBuddy(loopModeBox);
    loopModeBox->setAccessibleName(tr("播放方式"));
    setPaused(false);
}

// Space reaches the pane, or its box, when the widget with the focus has no use for it.
bool PreviewPanel::takePauseKey(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Space || event.modifiers() != Qt::NoModifier) return false;
    if (!event.isAutoRepeat()) emit pauseRequested();
    return true;
}

void PreviewPanel::keyPressEvent(QKeyEvent* event) {
    if (!takePauseKey(*event)) QWidget::keyPressEvent(event);
}

bool PreviewPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PreViewBox && event->type() == QEvent::KeyPress && takePauseKey(*static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void PreviewPanel::setPaused(bool paused) {
    m_paused = paused;
    pauseAction->setText(paused ? tr("播放") : tr("暂停"));
    stepBackAction->setEnabled(paused);
    stepForwardAction->setEnabled(paused);
}

int PreviewPanel::speedBarPosition() const {
    return PreView_SpeedBar->value();
}

void PreviewPanel::setSpeedBarPosition(int position) {
    PreView_SpeedBar->setValue(position);
}

void PreviewPanel::showInterval(int milliseconds) {
    PreViewSpeedCaption->setText(QString::number(milliseconds));
}

void PreviewPanel::fillPicture(const QColor& color) {
    PreViewImage->Picture.fill(color);
    PreViewImage->update();
}

void PreviewPanel::showFrame(const QSize& cleared, const QColor& fill, const QImage& frame, const QRect& source) {
    const QRect clearedArea(QPoint(0, 0), cleared);
    const QRect drawn(QPoint(0, 0), source.size());
    QPainter painter(&PreViewImage->Picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(clearedArea, fill);
    painter.drawImage(drawn, frame, source);
    painter.end();
    PreViewImage->update(clearedArea.united(drawn));
}

void PreviewPanel::SetPlayIndex(int index, int count) {
    FPlayIndex = (index >= 0 && index <= count - 1) ? index : 0;
}

} // namespace quillet

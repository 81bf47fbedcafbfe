#include "previewpanel.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
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

    PreViewBox = new QGroupBox(QStringLiteral("动画预览"), this);
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
    PreViewCaption = new QLabel(QStringLiteral("滚动速度(ms):"), row);
    PreViewCaption->move(8, 5);
    PreViewSpeedCaption = new QLabel(QStringLiteral("1000"), row);
    PreViewSpeedCaption->setGeometry(88, 5, 33, 16);
    PreView_SpeedBar = new QSlider(Qt::Horizontal, row);
    PreView_SpeedBar->setGeometry(135, 5, 100, 16);
    PreView_SpeedBar->setRange(0, 100);
    PreView_SpeedBar->setValue(60);
    bsBtnPvOK = new QPushButton(QStringLiteral("OK"), row);
    bsBtnPvOK->setGeometry(248, 3, 41, 20);
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
    auto* caption = new QLabel(QStringLiteral("播放方式:"), row);
    caption->move(8, 5);
    loopModeBox = new QComboBox(row);
    loopModeBox->addItems({QStringLiteral("循环"), QStringLiteral("往返"), QStringLiteral("播放一次")});
    loopModeBox->setGeometry(72, 3, 90, 20);
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
    pauseAction = makeAction(QStringLiteral("暂停"), "previewPause", QKeySequence());
    pauseAction->setToolTip(QStringLiteral("暂停或继续播放（空格键）"));
    stepBackAction = makeAction(QStringLiteral("上一帧"), "previewStepBack", QKeySequence(Qt::Key_Left));
    stepForwardAction = makeAction(QStringLiteral("下一帧"), "previewStepForward", QKeySequence(Qt::Key_Right));
    connect(pauseAction, &QAction::triggered, this, &PreviewPanel::pauseRequested);
    connect(stepBackAction, &QAction::triggered, this, [this] { emit stepRequested(-1); });
    connect(stepForwardAction, &QAction::triggered, this, [this] { emit stepRequested(1); });

    const auto makeButton = [row](QAction* action, int left, int width) {
        auto* button = new QToolButton(row);
        button->setDefaultAction(action);
        button->setGeometry(left, 3, width, 20);
        return button;
    };
    pauseButton = makeButton(pauseAction, 170, 48);
    stepBackButton = makeButton(stepBackAction, 222, 56);
    stepForwardButton = makeButton(stepForwardAction, 282, 56);
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
    pauseAction->setText(paused ? QStringLiteral("播放") : QStringLiteral("暂停"));
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

#include "editoractions.h"

#include "pictures.h"
#include "textfieldkeys.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>
#include <QVariant>

namespace quillet {

namespace {

constexpr int kPreviewClosedTag = 1;
constexpr int kPreviewOpenTag = 2;
constexpr int kPreviewClosedPicture = 6;
constexpr int kPreviewOpenPicture = 7;
constexpr int kOptionsShownPicture = 9;
constexpr int kOptionsHiddenPicture = 10;

// The hint with the key that does the same, as the tool tip shows it.
void setHint(QAction* action, const QString& hint, const QKeySequence& key = QKeySequence()) {
    action->setText(hint);
    if (key.isEmpty()) {
        action->setToolTip(hint);
        return;
    }
    action->setShortcut(key);
    action->setToolTip(hint + QStringLiteral("  (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
}

// A tool image list command.
QAction* toolAction(QObject* owner, const char* name, int picture, const QString& hint, const QKeySequence& key) {
    auto* action = new QAction(ToolPicture(picture), hint, owner);
    action->setObjectName(QLatin1String(name));
    setHint(action, hint, key);
    return action;
}

// A command with a picture of its own and a caption beside it.
QAction* captionedAction(QObject* owner, const char* name, const char* picture, const QString& caption,
                         const QString& hint, const QKeySequence& key) {
    auto* action = new QAction(EditorPicture(QLatin1String(picture)), caption, owner);
    action->setObjectName(QLatin1String(name));
    setHint(action, hint, key);
    action->setIconText(caption);
    return action;
}

QWidget* gap(QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setFixedWidth(25);
    return w;
}

} // namespace

EditorActions::EditorActions(QWidget* window)
    : QObject(window), TB_open(toolAction(this, "TB_open", 0, QStringLiteral("打开动画文件"), QKeySequence::Open)),
      TB_New(toolAction(this, "TB_New", 11, QStringLiteral("新建动画文件"), QKeySequence::New)),
      TB_save(toolAction(this, "TB_save", 1, QStringLiteral("保存动画文件"), QKeySequence::Save)),
      TB_SaveHtm(toolAction(this, "TB_SaveHtm", 8, QStringLiteral("输出为网页"), QKeySequence(Qt::CTRL | Qt::Key_E))),
      TB_AddImg(toolAction(this, "TB_AddImg", 2, QStringLiteral("添加文字页"), QKeySequence())),
      TB_delect(toolAction(this, "TB_delect", 3, QStringLiteral("删除当前页"), QKeySequence(Qt::Key_Delete))),
      TB_up(toolAction(this, "TB_up", 4, QStringLiteral("上移一页"), QKeySequence(Qt::CTRL | Qt::Key_Up))),
      TB_down(toolAction(this, "TB_down", 5, QStringLiteral("下移一页"), QKeySequence(Qt::CTRL | Qt::Key_Down))),
      TB_Preplay(toolAction(this, "TB_Preplay", 6, QStringLiteral("打开/关闭预览"), QKeySequence())),
      TB_ifo(toolAction(this, "TB_ifo", 9, QStringLiteral("打开/关闭选项"), QKeySequence())),
      TB_about(captionedAction(this, "TB_about", "about", QStringLiteral("关于"), QStringLiteral("关于本软件"),
                               QKeySequence())),
      TB_help(captionedAction(this, "TB_help", "help", QStringLiteral("帮助"), QStringLiteral("使用说明"),
                              QKeySequence::HelpContents)) {
    TB_up->setProperty("Tag", 1);
    TB_down->setProperty("Tag", 2);
    TB_Preplay->setProperty("Tag", kPreviewClosedTag);
    TB_Preplay->setProperty("Picture", kPreviewClosedPicture);
    TB_Preplay->setEnabled(false);
    TB_ifo->setProperty("Picture", kOptionsShownPicture);
    for (QAction* action : {TB_open, TB_New, TB_save, TB_SaveHtm, TB_AddImg, TB_delect, TB_up, TB_down, TB_help})
        action->setShortcutContext(Qt::WindowShortcut);
    // Delete and Ctrl+Up/Down also mean something inside a text field; there the field keeps them.
    new TextFieldKeys(window, {TB_delect, TB_up, TB_down});
}

void EditorActions::fillToolBar(QToolBar* bar) const {
    auto add = [bar](QAction* action) {
        bar->addAction(action);
        if (QWidget* button = bar->widgetForAction(action)) button->setFixedSize(25, 25);
    };
    for (QAction* action : {TB_open, TB_New, TB_save, TB_SaveHtm})
        add(action);
    bar->addWidget(gap(bar));
    add(TB_AddImg);
    add(TB_delect);
    bar->addWidget(gap(bar));
    add(TB_up);
    add(TB_down);
    bar->addWidget(gap(bar));
    add(TB_Preplay);
    bar->addWidget(gap(bar));
    add(TB_ifo);
    for (QAction* action : {TB_about, TB_help}) {
        bar->addAction(action);
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            button->setFixedSize(60, 25);
        }
    }
}

void EditorActions::updateEnabled(int unitCount, bool previewOpen) {
    QAction* const all[] = {TB_AddImg, TB_open, TB_New, TB_save, TB_delect, TB_Preplay, TB_SaveHtm, TB_up, TB_down};
    if (unitCount == 0) {
        TB_AddImg->setEnabled(true);
        TB_open->setEnabled(true);
        for (QAction* a : {TB_save, TB_delect, TB_Preplay, TB_SaveHtm, TB_up, TB_down})
            a->setEnabled(false);
    } else {
        for (QAction* a : all)
            a->setEnabled(!previewOpen || a == TB_Preplay);
    }
}

void EditorActions::noCurrentUnit() {
    for (QAction* a : {TB_SaveHtm, TB_up, TB_down, TB_delect, TB_save, TB_Preplay})
        a->setEnabled(false);
}

void EditorActions::currentUnitShown() {
    TB_delect->setEnabled(true);
}

bool EditorActions::previewOpen() const {
    return TB_Preplay->property("Tag").toInt() != kPreviewClosedTag;
}

void EditorActions::setPreviewOpen(bool open) {
    const int picture = open ? kPreviewOpenPicture : kPreviewClosedPicture;
    TB_Preplay->setProperty("Tag", open ? kPreviewOpenTag : kPreviewClosedTag);
    TB_Preplay->setProperty("Picture", picture);
    TB_Preplay->setIcon(ToolPicture(picture));
}

bool EditorActions::optionsShown() const {
    return TB_ifo->property("Picture").toInt() != kOptionsHiddenPicture;
}

void EditorActions::setOptionsShown(bool shown) {
    const int picture = shown ? kOptionsShownPicture : kOptionsHiddenPicture;
    TB_ifo->setIcon(ToolPicture(picture));
    TB_ifo->setProperty("Picture", picture);
}

} // namespace quillet

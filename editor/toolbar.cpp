#include "mainwindow.h"
#include "pictures.h"
#include "textfieldkeys.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>

namespace quillet {

namespace {

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

QWidget* gap(QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setFixedWidth(25);
    return w;
}

} // namespace

void TForm_movie::buildToolBar() {
    bsSkinToolBar4 = new QToolBar(this);
    bsSkinToolBar4->setObjectName(QStringLiteral("bsSkinToolBar4"));
    bsSkinToolBar4->setMovable(false);
    bsSkinToolBar4->setFloatable(false);
    bsSkinToolBar4->setIconSize(QSize(16, 16));
    bsSkinToolBar4->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, bsSkinToolBar4);

    auto add = [this](const char* name, int picture, const QString& hint, const QKeySequence& key) {
        auto* action = new QAction(ToolPicture(picture), hint, this);
        action->setObjectName(QLatin1String(name));
        setHint(action, hint, key);
        bsSkinToolBar4->addAction(action);
        if (QWidget* button = bsSkinToolBar4->widgetForAction(action)) button->setFixedSize(25, 25);
        return action;
    };
    TB_open = add("TB_open", 0, QStringLiteral("打开动画文件"), QKeySequence::Open);
    TB_New = add("TB_New", 11, QStringLiteral("新建动画文件"), QKeySequence::New);
    TB_save = add("TB_save", 1, QStringLiteral("保存动画文件"), QKeySequence::Save);
    TB_SaveHtm = add("TB_SaveHtm", 8, QStringLiteral("输出为网页"), QKeySequence(Qt::CTRL | Qt::Key_E));
    bsSkinToolBar4->addWidget(gap(bsSkinToolBar4));
    TB_AddImg = add("TB_AddImg", 2, QStringLiteral("添加文字页"), QKeySequence());
    TB_delect = add("TB_delect", 3, QStringLiteral("删除当前页"), QKeySequence(Qt::Key_Delete));
    bsSkinToolBar4->addWidget(gap(bsSkinToolBar4));
    TB_up = add("TB_up", 4, QStringLiteral("上移一页"), QKeySequence(Qt::CTRL | Qt::Key_Up));
    TB_up->setProperty("Tag", 1);
    TB_down = add("TB_down", 5, QStringLiteral("下移一页"), QKeySequence(Qt::CTRL | Qt::Key_Down));
    TB_down->setProperty("Tag", 2);
    bsSkinToolBar4->addWidget(gap(bsSkinToolBar4));
    TB_Preplay = add("TB_Preplay", 6, QStringLiteral("打开/关闭预览"), QKeySequence());
    TB_Preplay->setProperty("Tag", 1);
    TB_Preplay->setEnabled(false);
    bsSkinToolBar4->addWidget(gap(bsSkinToolBar4));
    TB_ifo = add("TB_ifo", 9, QStringLiteral("打开/关闭选项"), QKeySequence());

    auto addOwn = [this](const char* name, const char* picture, const QString& caption, const QString& hint,
                         const QKeySequence& key) {
        auto* action = new QAction(EditorPicture(QLatin1String(picture)), caption, this);
        action->setObjectName(QLatin1String(name));
        setHint(action, hint, key);
        action->setIconText(caption);
        bsSkinToolBar4->addAction(action);
        if (auto* button = qobject_cast<QToolButton*>(bsSkinToolBar4->widgetForAction(action))) {
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            button->setFixedSize(60, 25);
        }
        return action;
    };
    TB_about = addOwn("TB_about", "about", QStringLiteral("关于"), QStringLiteral("关于本软件"), QKeySequence());
    TB_help = addOwn("TB_help", "help", QStringLiteral("帮助"), QStringLiteral("使用说明"), QKeySequence::HelpContents);
    for (QAction* action : {TB_open, TB_New, TB_save, TB_SaveHtm, TB_AddImg, TB_delect, TB_up, TB_down, TB_help})
        action->setShortcutContext(Qt::WindowShortcut);
    // Delete and Ctrl+Up/Down also mean something inside a text field; there the field keeps them.
    new TextFieldKeys(this, {TB_delect, TB_up, TB_down});

    connect(TB_open, &QAction::triggered, this, &TForm_movie::TB_openClick);
    connect(TB_New, &QAction::triggered, this, &TForm_movie::TB_NewClick);
    connect(TB_save, &QAction::triggered, this, &TForm_movie::TB_save1Click);
    connect(TB_SaveHtm, &QAction::triggered, this, &TForm_movie::TB_SaveHtmClick);
    connect(TB_AddImg, &QAction::triggered, this, &TForm_movie::TB_AddImgClick);
    connect(TB_delect, &QAction::triggered, this, &TForm_movie::TB_delect1Click);
    connect(TB_up, &QAction::triggered, this, [this] { TB_up1Click(TB_up); });
    connect(TB_down, &QAction::triggered, this, [this] { TB_up1Click(TB_down); });
    connect(TB_about, &QAction::triggered, this, &TForm_movie::TB_aboutClick);
    connect(TB_help, &QAction::triggered, this, &TForm_movie::TB_help1Click);
}

} // namespace quillet

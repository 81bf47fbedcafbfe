#include "editoractions.h"

#include "pictures.h"
#include "textfieldkeys.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVariant>
#include <QWidget>

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

// A tool image list command: its button shows the hint, its menu item the menu text.
QAction* toolAction(QObject* owner, const char* name, int picture, const QString& hint, const QKeySequence& key,
                    const QString& menuText) {
    auto* action = new QAction(ToolPicture(picture), hint, owner);
    action->setObjectName(QLatin1String(name));
    setHint(action, hint, key);
    action->setIconText(hint);
    action->setText(menuText);
    return action;
}

// A command with a picture of its own and a caption beside it, which is also its menu text.
QAction* captionedAction(QObject* owner, const char* name, const char* picture, const QString& caption,
                         const QString& hint, const QKeySequence& key) {
    auto* action = new QAction(EditorPicture(QLatin1String(picture)), caption, owner);
    action->setObjectName(QLatin1String(name));
    setHint(action, hint, key);
    action->setIconText(caption);
    action->setText(caption);
    return action;
}

// A command of the menus only.
QAction* menuAction(QObject* owner, const char* name, const QString& text, const QList<QKeySequence>& keys) {
    auto* action = new QAction(text, owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(keys);
    return action;
}

// The history's undo or redo command: "撤销" or "重做" followed by the text of the step it would
// take back or do again, the bare word when there is none. Its picture is the desktop theme's,
// or the style's arrow without a theme.
QAction* historyAction(QObject* owner, QWidget* window, QUndoStack* history, bool redo) {
    const QString word = redo ? EditorActions::tr("重做") : EditorActions::tr("撤销");
    QAction* action = redo ? history->createRedoAction(owner, word) : history->createUndoAction(owner, word);
    action->setObjectName(redo ? QStringLiteral("actionRedo") : QStringLiteral("actionUndo"));
    // The prefix stands right before the step's text, without the space Qt puts between them (a
    // translation may put one back).
    auto name = [action, word](const QString& step) {
        action->setText(step.isEmpty() ? word
                                       : EditorActions::tr("%1%2", "undo or redo, then the step").arg(word, step));
    };
    name(redo ? history->redoText() : history->undoText());
    if (redo) {
        QObject::connect(history, &QUndoStack::redoTextChanged, action, name);
        QObject::disconnect(action, &QAction::triggered, history, &QUndoStack::redo);
        action->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
        action->setIcon(
            QIcon::fromTheme(QStringLiteral("edit-redo"), window->style()->standardIcon(QStyle::SP_ArrowForward)));
    } else {
        QObject::connect(history, &QUndoStack::undoTextChanged, action, name);
        QObject::disconnect(action, &QAction::triggered, history, &QUndoStack::undo);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
        action->setIcon(
            QIcon::fromTheme(QStringLiteral("edit-undo"), window->style()->standardIcon(QStyle::SP_ArrowBack)));
    }
    action->setToolTip(action->shortcut().toString(QKeySequence::NativeText).prepend(word + QStringLiteral("  (")) +
                       QLatin1Char(')'));
    return action;
}

// The menu item of a command whose key works only where the command lives (the preview pane's
// keys, while the focus is in the pane): it shows that key beside the command's text, triggers the
// command, and can be chosen while the command is enabled and `preview` says the pane is open.
// `preview` (TB_Preplay) tells of its opening and closing through its changed signal: its picture
// changes with them.
QAction* paneCommandItem(QAction* command, const QKeySequence& key, const QAction* preview, QObject* owner) {
    auto* item = new QAction(owner);
    item->setObjectName(command->objectName() + QStringLiteral("Menu"));
    const auto follow = [item, command, key, preview] {
        item->setText(command->text() + QLatin1Char('\t') + key.toString(QKeySequence::NativeText));
        item->setEnabled(command->isEnabled() && preview->property("Tag").toInt() == kPreviewOpenTag);
    };
    follow();
    QObject::connect(command, &QAction::changed, item, follow);
    QObject::connect(preview, &QAction::changed, item, follow);
    QObject::connect(item, &QAction::triggered, command, &QAction::trigger);
    return item;
}

QWidget* gap(QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setFixedWidth(25);
    return w;
}

} // namespace

EditorActions::EditorActions(QWidget* window, QWidget* filmView, QUndoStack* history)
    : QObject(window), TB_open(toolAction(this, "TB_open", 0, tr("打开动画文件"), QKeySequence::Open, tr("打开"))),
      TB_New(toolAction(this, "TB_New", 11, tr("新建动画文件"), QKeySequence::New, tr("新建"))),
      TB_save(toolAction(this, "TB_save", 1, tr("保存动画文件"), QKeySequence::Save, tr("保存"))),
      TB_SaveHtm(
          toolAction(this, "TB_SaveHtm", 8, tr("输出为网页"), QKeySequence(Qt::CTRL | Qt::Key_E), tr("导出网页"))),
      TB_AddImg(toolAction(this, "TB_AddImg", 2, tr("添加文字页"), QKeySequence(), tr("添加文字页", "menu"))),
      TB_delect(toolAction(this, "TB_delect", 3, tr("删除当前页"), QKeySequence(Qt::Key_Delete), tr("删除单元"))),
      TB_up(toolAction(this, "TB_up", 4, tr("上移一页"), QKeySequence(Qt::CTRL | Qt::Key_Up), tr("上移"))),
      TB_down(toolAction(this, "TB_down", 5, tr("下移一页"), QKeySequence(Qt::CTRL | Qt::Key_Down), tr("下移"))),
      TB_Preplay(toolAction(this, "TB_Preplay", 6, tr("打开/关闭预览"), QKeySequence(), tr("预览"))),
      TB_ifo(toolAction(this, "TB_ifo", 9, tr("打开/关闭选项"), QKeySequence(), tr("打开/关闭选项"))),
      TB_about(captionedAction(this, "TB_about", "about", tr("关于"), tr("关于本软件"), QKeySequence())),
      TB_help(captionedAction(this, "TB_help", "help", tr("帮助"), tr("使用说明"), QKeySequence::HelpContents)),
      saveAs(menuAction(this, "actionSaveAs", tr("另存为"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)})),
      quit(menuAction(this, "actionQuit", tr("退出"), {QKeySequence(Qt::CTRL | Qt::Key_Q)})),
      undo(historyAction(this, window, history, false)), redo(historyAction(this, window, history, true)),
      cutUnit(menuAction(this, "actionCutUnit", tr("剪切单元"), {QKeySequence(Qt::CTRL | Qt::Key_X)})),
      copyUnit(menuAction(this, "actionCopyUnit", tr("复制单元"), {QKeySequence(Qt::CTRL | Qt::Key_C)})),
      pasteUnit(menuAction(this, "actionPasteUnit", tr("粘贴单元"), {QKeySequence(Qt::CTRL | Qt::Key_V)})),
      duplicateUnit(menuAction(this, "actionDuplicateUnit", tr("重复单元"), {QKeySequence(Qt::CTRL | Qt::Key_D)})),
      insertBlankUnit(menuAction(this, "actionInsertBlankUnit", tr("插入空白单元"),
                                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)})),
      editUnit(menuAction(this, "actionEditUnit", tr("编辑单元"), {QKeySequence(Qt::Key_F2)})),
      exportAnimation(menuAction(this, "actionExportAnimation", tr("导出动画"), {})), m_history(history) {
    TB_up->setProperty("Tag", 1);
    TB_down->setProperty("Tag", 2);
    TB_Preplay->setProperty("Tag", kPreviewClosedTag);
    TB_Preplay->setProperty("Picture", kPreviewClosedPicture);
    TB_Preplay->setEnabled(false);
    TB_ifo->setProperty("Picture", kOptionsShownPicture);
    for (QAction* action : {TB_open, TB_New, TB_save, TB_SaveHtm, TB_AddImg, TB_delect, TB_up, TB_down, TB_help, saveAs,
                            quit, undo, redo, duplicateUnit, insertBlankUnit, editUnit})
        action->setShortcutContext(Qt::WindowShortcut);
    // Delete, Ctrl+Up/Down and the undo keys also mean something inside a text field; there the
    // field keeps them.
    new TextFieldKeys(window, {TB_delect, TB_up, TB_down, undo, redo});
    // The history may gain a step while the preview is open (the current unit's fields can be
    // applied); undo and redo stay off until it closes.
    connect(history, &QUndoStack::canUndoChanged, this, [this](bool can) { undo->setEnabled(can && !previewOpen()); });
    connect(history, &QUndoStack::canRedoChanged, this, [this](bool can) { redo->setEnabled(can && !previewOpen()); });
    // Ctrl+X/C/V cut, copy and paste units only in the film strip; elsewhere they are the fields'.
    for (QAction* action : {cutUnit, copyUnit, pasteUnit}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        filmView->addAction(action);
    }
}

void EditorActions::fillToolBar(QToolBar* bar) const {
    auto add = [bar](QAction* action) {
        bar->addAction(action);
        if (QWidget* button = bar->widgetForAction(action)) button->setFixedSize(25, 25);
    };
    for (QAction* action : {TB_open, TB_New, TB_save, TB_SaveHtm})
        add(action);
    bar->addWidget(gap(bar));
    add(undo);
    add(redo);
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
            // 60 wide, or wider where the caption needs it.
            button->setFixedHeight(25);
            button->setMinimumWidth(60);
        }
    }
}

void EditorActions::fillMenuBar(QMenuBar* bar, const QList<QAction*>& previewActions) const {
    QMenu* file = bar->addMenu(tr("文件", "menu"));
    file->addActions({TB_New, TB_open, TB_save, saveAs});
    file->addSeparator();
    file->addActions({TB_SaveHtm, exportAnimation});
    file->addSeparator();
    file->addAction(quit);
    QMenu* edit = bar->addMenu(tr("编辑", "menu"));
    edit->addActions({undo, redo});
    edit->addSeparator();
    edit->addAction(editUnit);
    edit->addSeparator();
    edit->addActions({cutUnit, copyUnit, pasteUnit});
    edit->addSeparator();
    edit->addActions({duplicateUnit, insertBlankUnit, TB_delect});
    bar->addMenu(tr("单元", "menu"))->addActions({TB_up, TB_down, TB_AddImg});
    QMenu* play = bar->addMenu(tr("播放", "menu"));
    play->addAction(TB_Preplay);
    play->addSeparator();
    for (QAction* command : previewActions) {
        // The pause has no shortcut of its own: Space reaches the pane unless a control takes it.
        const QKeySequence key = command->shortcut().isEmpty() ? QKeySequence(Qt::Key_Space) : command->shortcut();
        play->addAction(paneCommandItem(command, key, TB_Preplay, play));
    }
    bar->addMenu(tr("视图", "menu"))->addAction(TB_ifo);
    bar->addMenu(tr("帮助", "menu"))->addActions({TB_help, TB_about});
}

void EditorActions::updateEnabled(int unitCount, bool previewOpen) {
    QAction* const all[] = {TB_AddImg, TB_open, TB_New, TB_save, TB_delect, TB_Preplay, TB_SaveHtm, TB_up, TB_down};
    if (unitCount == 0) {
        TB_AddImg->setEnabled(true);
        TB_open->setEnabled(true);
        for (QAction* a : {TB_save, TB_delect, TB_Preplay, TB_SaveHtm, TB_up, TB_down})
            a->setEnabled(false);
    } else if (m_cellEditorOpen) {
        for (QAction* a : all)
            a->setEnabled(a == TB_save || a == TB_SaveHtm);
    } else {
        for (QAction* a : all)
            a->setEnabled(!previewOpen || a == TB_Preplay);
    }
    // The unit commands go with adding (those that make units) and deleting (those that need one).
    for (QAction* a : {pasteUnit, insertBlankUnit})
        a->setEnabled(TB_AddImg->isEnabled());
    for (QAction* a : {cutUnit, copyUnit, duplicateUnit})
        a->setEnabled(TB_delect->isEnabled());
    saveAs->setEnabled(TB_save->isEnabled());
    editUnit->setEnabled(unitCount > 0 && !previewOpen && !m_cellEditorOpen);
    exportAnimation->setEnabled(TB_SaveHtm->isEnabled());
    undo->setEnabled(!previewOpen && m_history->canUndo());
    redo->setEnabled(!previewOpen && m_history->canRedo());
}

void EditorActions::noCurrentUnit() {
    for (QAction* a : {TB_SaveHtm, exportAnimation, TB_up, TB_down, TB_delect, TB_save, TB_Preplay, saveAs, cutUnit,
                       copyUnit, duplicateUnit, editUnit})
        a->setEnabled(false);
}

void EditorActions::currentUnitShown() {
    if (m_cellEditorOpen) return;
    for (QAction* a : {TB_delect, cutUnit, copyUnit, duplicateUnit})
        a->setEnabled(true);
    editUnit->setEnabled(!previewOpen());
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

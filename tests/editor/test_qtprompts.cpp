// The real dialogs behind Prompts: what they are set up with and what each answer returns.
#include "prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace quillet;

namespace {

// Runs `act` on the modal dialog once it is up.
void whenShown(const std::function<void(QWidget*)>& act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal)
            act(modal);
        else
            whenShown(act);
    });
}

void pressInBox(QMessageBox::StandardButton which) {
    whenShown([which](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        box->button(which)->click();
    });
}

} // namespace

class QtPromptsTest : public QObject {
    Q_OBJECT
private slots:
    void confirmationDefaultsToYesAndEscapesToNo();
    void questionHasThreeAnswers();
    void saveDialogAppendsTheSuffixAndAsksNothingItself();
    void colourDialogReturnsTheColourRedFirst();
};

void QtPromptsTest::confirmationDefaultsToYesAndEscapesToNo() {
    QtPrompts prompts;
    whenShown([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("确实要删除当前单元吗？"));
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
        QCOMPARE(box->escapeButton(), box->button(QMessageBox::No));
        box->defaultButton()->click();
    });
    QVERIFY(prompts.confirm(QStringLiteral("确实要删除当前单元吗？")));
    pressInBox(QMessageBox::No);
    QVERIFY(!prompts.confirm(QStringLiteral("?")));
}

void QtPromptsTest::questionHasThreeAnswers() {
    QtPrompts prompts;
    pressInBox(QMessageBox::Yes);
    QCOMPARE(prompts.question(QStringLiteral("是否保存当前动画文件？")), Prompts::Answer::Yes);
    pressInBox(QMessageBox::No);
    QCOMPARE(prompts.question(QStringLiteral("是否保存当前动画文件？")), Prompts::Answer::No);
    whenShown([](QWidget* w) { qobject_cast<QMessageBox*>(w)->reject(); });
    QCOMPARE(prompts.question(QStringLiteral("是否保存当前动画文件？")), Prompts::Answer::Cancel);
}

void QtPromptsTest::saveDialogAppendsTheSuffixAndAsksNothingItself() {
    QTemporaryDir dir;
    QFile existing(dir.filePath(QStringLiteral("film.mmt")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QtPrompts prompts;
    whenShown([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("保存文件"));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("mmt"));
        QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog->directory().absolutePath(), dir.path());
        dialog->selectFile(QStringLiteral("film"));
        static_cast<QDialog*>(dialog)->accept(); // as the Save button does
    });
    const QString chosen = prompts.saveFileName(QStringLiteral("保存文件"), dir.filePath(QStringLiteral("new.mmt")),
                                                QStringLiteral("动画文本(mmt) (*.mmt)"), QStringLiteral("mmt"));
    QCOMPARE(chosen, dir.filePath(QStringLiteral("film.mmt")));
    QVERIFY(!QApplication::activeModalWidget());

    whenShown([](QWidget* w) { qobject_cast<QFileDialog*>(w)->reject(); });
    QVERIFY(
        prompts
            .saveFileName(QStringLiteral("保存文件"), QString(), QStringLiteral("*.htm (*.htm)"), QStringLiteral("htm"))
            .isEmpty());
}

void QtPromptsTest::colourDialogReturnsTheColourRedFirst() {
    QtPrompts prompts;
    whenShown([](QWidget* w) {
        auto* dialog = qobject_cast<QColorDialog*>(w);
        QVERIFY(dialog);
        QCOMPARE(dialog->currentColor(), QColor(0x33, 0x22, 0x11));
        dialog->setCurrentColor(QColor(255, 0, 0));
        dialog->accept();
    });
    QCOMPARE(prompts.color(0x112233), std::optional<TColor>(0x0000FF));
    whenShown([](QWidget* w) { qobject_cast<QColorDialog*>(w)->reject(); });
    QCOMPARE(prompts.color(0), std::optional<TColor>());
}

QTEST_MAIN(QtPromptsTest)
#include "test_qtprompts.moc"

// The real dialogs behind Prompts: what they are set up with and what each answer returns.
#include "prompts.h"
#include "qttranslation.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

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
    void confirmationThatLosesSomethingDefaultsToNo();
    void questionHasThreeAnswers();
    void saveDialogAppendsTheSuffixAndAsksNothingItself();
    void colourDialogReturnsTheColourRedFirst();
    void animationDialogReturnsFormatScaleAndLoop();
    void qtTextsSpeakTheInterfaceLanguage();
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

void QtPromptsTest::confirmationThatLosesSomethingDefaultsToNo() {
    QtPrompts prompts;
    whenShown([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        QCOMPARE(box->escapeButton(), box->button(QMessageBox::No));
        box->defaultButton()->click();
    });
    QVERIFY(!prompts.confirmDefaultNo(QStringLiteral("?")));
    pressInBox(QMessageBox::Yes);
    QVERIFY(prompts.confirmDefaultNo(QStringLiteral("?")));
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

void QtPromptsTest::animationDialogReturnsFormatScaleAndLoop() {
    QtPrompts prompts;
    const QStringList formats = {QStringLiteral("GIF"), QStringLiteral("WebP"), QStringLiteral("APNG")};
    whenShown([](QWidget* w) {
        auto* format = w->findChild<QComboBox*>(QStringLiteral("format"));
        auto* scale = w->findChild<QSpinBox*>(QStringLiteral("scale"));
        auto* loop = w->findChild<QComboBox*>(QStringLiteral("loop"));
        QVERIFY(format && scale && loop);
        // It starts at the choice it is given.
        QCOMPARE(format->currentText(), QStringLiteral("WebP"));
        QCOMPARE(scale->value(), 3);
        QCOMPARE(loop->currentText(), QStringLiteral("播放一次"));
        QCOMPARE(scale->maximum(), 4);
        format->setCurrentIndex(2);
        scale->setValue(2);
        loop->setCurrentIndex(loop->findText(QStringLiteral("往返循环")));
        w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const std::optional<AnimationChoice> chosen = prompts.animationChoice(formats, {1, {3, LoopMode::Once}});
    QVERIFY(chosen);
    QCOMPARE(chosen->format, 2);
    QCOMPARE(chosen->options.scale, 2);
    QVERIFY(chosen->options.loop == LoopMode::PingPong);
    whenShown([](QWidget* w) { w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); });
    QVERIFY(!prompts.animationChoice(formats, {}));
}

void QtPromptsTest::qtTextsSpeakTheInterfaceLanguage() {
    const auto yesText = [] {
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };
    const auto cancelText = [] {
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        return buttons.button(QDialogButtonBox::Cancel)->text();
    };
    const QString englishYes = yesText();
    const QString englishCancel = cancelText();
    {
        const auto translator = InstallTranslation(InterfaceLanguage::Chinese);
        QVERIFY(translator);
        QVERIFY(yesText().contains(QStringLiteral("是")));
        QVERIFY(cancelText().contains(QStringLiteral("取消")));
    }
    QCOMPARE(yesText(), englishYes); // gone with its translator

    // In English the program's own translation is installed, and Qt's texts stay Qt's English.
    const auto translator = InstallTranslation(InterfaceLanguage::English);
    QVERIFY(translator);
    QCOMPARE(yesText(), englishYes);
    QCOMPARE(cancelText(), englishCancel);
}

QTEST_MAIN(QtPromptsTest)
#include "test_qtprompts.moc"

// Both languages of the interface: the window, the preview, the cell editor and the animation
// export's dialog built in English show no Chinese text, and built in Chinese show every text as
// the sources hold it.
#include "editorfixture.h"
#include "prompts.h"
#include "qttranslation.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTranslator>

namespace quillet {

namespace {

struct ShownText {
    QString where;
    QString text;
};

bool within(const QObject* object, const QList<const QWidget*>& skipped) {
    for (; object; object = object->parent()) {
        if (skipped.contains(object)) return true;
    }
    return false;
}

QString placeOf(const QObject* object) {
    return QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') + object->objectName();
}

void addText(QList<ShownText>& texts, const QObject* object, const char* what, const QString& text) {
    if (!text.isEmpty()) texts.append({placeOf(object) + QLatin1Char('.') + QLatin1String(what), text});
}

// What the widgets below `root` show in words: captions, titles, list entries, tool tips, the names
// and descriptions a screen reader speaks, and the texts of their actions. The contents of text fields are the document's, not the interface's.
QList<ShownText> shownTexts(const QWidget& root, const QList<const QWidget*>& skipped = {}) {
    QList<ShownText> texts;
    QList<const QWidget*> widgets{&root};
    for (const QWidget* child : root.findChildren<QWidget*>())
        widgets << child;
    QList<const QAction*> actions;
    for (const QWidget* widget : std::as_const(widgets)) {
        if (within(widget, skipped)) continue;
        if (widget->isWindow()) addText(texts, widget, "windowTitle", widget->windowTitle());
        addText(texts, widget, "toolTip", widget->toolTip());
        addText(texts, widget, "statusTip", widget->statusTip());
        addText(texts, widget, "accessibleName", widget->accessibleName());
        addText(texts, widget, "accessibleDescription", widget->accessibleDescription());
        if (const auto* label = qobject_cast<const QLabel*>(widget)) addText(texts, label, "text", label->text());
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            addText(texts, button, "text", button->text());
        if (const auto* group = qobject_cast<const QGroupBox*>(widget)) addText(texts, group, "title", group->title());
        if (const auto* menu = qobject_cast<const QMenu*>(widget)) addText(texts, menu, "title", menu->title());
        if (const auto* field = qobject_cast<const QLineEdit*>(widget))
            addText(texts, field, "placeholderText", field->placeholderText());
        if (const auto* box = qobject_cast<const QComboBox*>(widget)) {
            for (int i = 0; i < box->count(); ++i)
                addText(texts, box, "item", box->itemText(i));
        }
        for (const QAction* action : widget->actions()) {
            if (!actions.contains(action)) actions << action;
        }
    }
    for (const QAction* action : root.findChildren<QAction*>()) {
        if (!actions.contains(action) && !within(action, skipped)) actions << action;
    }
    for (const QAction* action : std::as_const(actions)) {
        addText(texts, action, "text", action->text());
        addText(texts, action, "iconText", action->iconText());
        addText(texts, action, "toolTip", action->toolTip());
    }
    return texts;
}

// Everything the interface shows in a started window with two units: at rest, with the preview
// open, with the cell editor open, and the animation export's dialog.
QList<ShownText> interfaceTexts() {
    QList<ShownText> texts;
    EditorFixture f;
    TForm_movie& w = f.start();
    w.show();
    f.addPages(2);
    texts << shownTexts(w);
    trigger(w, "TB_Preplay");
    texts << shownTexts(w);
    trigger(w, "TB_Preplay");
    trigger(w, "actionEditUnit");
    texts << shownTexts(w);

    QtPrompts prompts(&w);
    QTimer::singleShot(0, &w, [&texts] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        // The buttons' texts are Qt's own, in Qt's translation.
        texts << shownTexts(*dialog, {dialog->findChild<QDialogButtonBox*>()});
        dialog->close();
    });
    prompts.animationChoice({QStringLiteral("GIF"), QStringLiteral("WebP"), QStringLiteral("APNG")}, {});
    return texts;
}

const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

} // namespace

class I18nTest : public QObject {
    Q_OBJECT

private slots:
    void englishShowsNoChinese();
    void chineseShowsTheSourceTexts();
    void helpOpensTheGuideOfTheLanguage();
};

void I18nTest::englishShowsNoChinese() {
    const std::unique_ptr<QTranslator> translator = InstallTranslation(InterfaceLanguage::English);
    QVERIFY(translator);
    const QList<ShownText> texts = interfaceTexts();
    QVERIFY(texts.size() > 100);
    QStringList chinese;
    for (const ShownText& shown : texts) {
        if (shown.text.contains(kChinese)) chinese << shown.where + QStringLiteral(": ") + shown.text;
    }
    QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QLatin1Char('\n'))));
}

void I18nTest::chineseShowsTheSourceTexts() {
    // The reference: the sources' texts, with only Qt's own words (key names, Qt's buttons) in Qt's Chinese.
    QList<ShownText> sources;
    {
        QTranslator qtChinese;
        QVERIFY(qtChinese.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&qtChinese);
        sources = interfaceTexts();
    }
    const std::unique_ptr<QTranslator> translator = InstallTranslation(InterfaceLanguage::Chinese);
    const QList<ShownText> texts = interfaceTexts();
    QCOMPARE(texts.size(), sources.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QCOMPARE(texts.at(i).where, sources.at(i).where);
        QCOMPARE(texts.at(i).text, sources.at(i).text);
    }
    QVERIFY(std::any_of(texts.cbegin(), texts.cend(), [](const ShownText& s) { return s.text.contains(kChinese); }));
}

void I18nTest::helpOpensTheGuideOfTheLanguage() {
    for (const InterfaceLanguage language : {InterfaceLanguage::English, InterfaceLanguage::Chinese}) {
        const std::unique_ptr<QTranslator> translator = InstallTranslation(language);
        EditorFixture f;
        trigger(f.start(), "TB_help");
        const QString guide =
            language == InterfaceLanguage::English ? QStringLiteral("help_en.htm") : QStringLiteral("help.htm");
        QCOMPARE(f.shellOpened, QStringList{f.programDir() + guide});
    }
}

} // namespace quillet

QTEST_MAIN(quillet::I18nTest)
#include "test_i18n.moc"

#include "aboutwindow.h"
#include "qttranslation.h"
#include "runvalues.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTranslator>
#include <QWebEngineHistory>
#include <QWebEngineView>

using quillet::Run;
using quillet::Taboutform;

namespace {

constexpr int LoadTimeout = 15000;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

} // namespace

class TestAboutWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir root;
    QString programDir; // holds a blank and Chinese characters on purpose

    QString pageURL(const QString& name) const { return QUrl::fromLocalFile(programDir + name).toString(); }
    QString aboutURL() const { return pageURL(QStringLiteral("readme.htm")); }

    void writeLanguage(const QString& fileName, const QByteArray& lines) {
        writeFile(programDir + QStringLiteral("Language/") + fileName, lines);
    }

    static bool showAndWaitFor(Taboutform& form, const QString& address) {
        form.show();
        return QTest::qWaitFor([&] { return form.Edit_input->text() == address; }, LoadTimeout);
    }

    static bool enterAddress(Taboutform& form, const QString& address) {
        form.Edit_input->setText(address);
        QTest::keyClick(form.Edit_input, Qt::Key_Return);
        return QTest::qWaitFor([&] { return form.LastURL == address && form.Edit_input->text() == address; },
                               LoadTimeout);
    }

private slots:
    void initTestCase() {
        QVERIFY(root.isValid());
        programDir = root.path() + QStringLiteral("/程序 目录/");
        QVERIFY(QDir().mkpath(programDir + QStringLiteral("Language")));
        QVERIFY(
            QFile::copy(QStringLiteral(QUILLET_RUNTIME_DIR "/readme.htm"), programDir + QStringLiteral("readme.htm")));
        writeFile(programDir + QStringLiteral("second.htm"), "<html><head><title>second</title></head></html>");
        Run().ProgramDir = programDir;
    }

    void init() {
        QDir(programDir + QStringLiteral("Language")).removeRecursively();
        QVERIFY(QDir().mkpath(programDir + QStringLiteral("Language")));
        Run().Language = QStringLiteral("chinese");
    }

    void showsTheAboutPageFromReadme() {
        Taboutform form;
        QVERIFY(!form.WebBrowser);
        QCOMPARE(form.windowTitle(), QStringLiteral("关于【Quillet】"));
        QCOMPARE(form.bsSkinPanel2->width(), 40);
        QCOMPARE(form.AboutPageURL, aboutURL());
        QVERIFY(form.AboutPageURL.startsWith(QStringLiteral("file:///")));

        QVERIFY(showAndWaitFor(form, aboutURL()));
        QTRY_VERIFY_WITH_TIMEOUT(form.WebBrowser->title().contains(QStringLiteral("Quillet")), LoadTimeout);
        QCOMPARE(form.WebBrowser->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(form.bsSkinSB_backword->isEnabled());
        QVERIFY(!form.bsSkinSB_forward->isEnabled());
    }

    void backAndForwardFollowTheHistory() {
        Taboutform form;
        QVERIFY(showAndWaitFor(form, aboutURL()));

        form.bsSkinSB_backword->click();
        QVERIFY(!form.bsSkinSB_backword->isEnabled());
        QVERIFY(!form.bsSkinSB_forward->isEnabled());

        Qt::CursorShape cursorWhileLoading = Qt::ArrowCursor;
        connect(form.WebBrowser, &QWebEngineView::loadStarted, &form,
                [&] { cursorWhileLoading = form.WebBrowser->cursor().shape(); });
        QVERIFY(enterAddress(form, pageURL(QStringLiteral("second.htm"))));
        QCOMPARE(cursorWhileLoading, Qt::BusyCursor);
        QCOMPARE(form.WebBrowser->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(form.bsSkinSB_backword->isEnabled());

        form.bsSkinSB_backword->click();
        QVERIFY(form.bsSkinSB_forward->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(form.Edit_input->text(), aboutURL(), LoadTimeout);

        form.bsSkinSB_forward->click();
        QTRY_COMPARE_WITH_TIMEOUT(form.Edit_input->text(), pageURL(QStringLiteral("second.htm")), LoadTimeout);
        QVERIFY(form.bsSkinSB_forward->isEnabled());

        form.bsSkinSB_forward->click();
        QVERIFY(!form.bsSkinSB_forward->isEnabled());
        QVERIFY(form.bsSkinSB_backword->isEnabled());
    }

    void enterInAnEmptyAddressBoxNavigatesToAnEmptyAddress() {
        Taboutform form;
        QVERIFY(showAndWaitFor(form, aboutURL()));
        form.Edit_input->clear();
        QTest::keyClick(form.Edit_input, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(form.Edit_input->text(), QStringLiteral("about:blank"), LoadTimeout);
        QCOMPARE(form.LastURL, QStringLiteral("about:blank"));

        QTest::keyClick(form.Edit_input, Qt::Key_A);
        QCOMPARE(form.Edit_input->text(), QStringLiteral("about:blanka"));
    }

    void storedLanguageTableAppliesAndReturnsToTheAboutPage() {
        writeLanguage(QStringLiteral("english_about.ini"),
                      "\xEF\xBB\xBF; about window\r\n1=URL:\r\n2=Go\r\n3=Back\r\n4=Forward\r\n5=" +
                          QString(100, QChar(0x5173)).toUtf8() +
                          "\r\n"
                          "6=Home\r\n8=Guestbook\r\n9=not used\r\n10=Browser\r\nnonsense line\r\n");
        Taboutform form;
        QVERIFY(showAndWaitFor(form, aboutURL()));
        QVERIFY(enterAddress(form, pageURL(QStringLiteral("second.htm"))));
        QVERIFY(form.close());

        Run().Language = QStringLiteral("english");
        form.show();
        QCOMPARE(form.AboutLanguage, QStringLiteral("english"));
        QCOMPARE(form.note->text(), QStringLiteral("URL:"));
        QCOMPARE(form.bsSkinButton1->text(), QStringLiteral("Go"));
        QCOMPARE(form.bsSkinSB_backword->toolTip(), QStringLiteral("Back"));
        QCOMPARE(form.bsSkinSB_forward->toolTip(), QStringLiteral("Forward"));
        // A text keeps at most 253 bytes, cut between characters: 84 three-byte characters.
        QCOMPARE(form.bsSkinSB_about->toolTip(), QString(84, QChar(0x5173)));
        QCOMPARE(form.bsSkinSB_home->toolTip(), QStringLiteral("Home"));
        QCOMPARE(form.bsSkinSB_email->toolTip(), QStringLiteral("欢迎给我来信")); // number 7 is missing
        QCOMPARE(form.bsSkinSB_bbs->toolTip(), QStringLiteral("Guestbook"));
        QCOMPARE(form.bsSkinSpeedButton1->toolTip(), QStringLiteral("Browser"));
        QTRY_COMPARE_WITH_TIMEOUT(form.Edit_input->text(), aboutURL(), LoadTimeout);
    }

    // Without a table the designed texts speak the interface's language: English with the
    // program's translation installed, the Chinese of the sources without it.
    void designedTextsSpeakTheInterfaceLanguage() {
        const auto texts = [](const Taboutform& form) {
            QStringList all{form.windowTitle(), form.note->text(), form.bsSkinButton1->text()};
            for (const QToolButton* button :
                 {form.bsSkinSB_backword, form.bsSkinSB_forward, form.bsSkinSB_about, form.bsSkinSB_home,
                  form.bsSkinSB_email, form.bsSkinSB_bbs, form.bsSkinSpeedButton1})
                all << button->toolTip();
            return all;
        };
        const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
        {
            const auto translator = quillet::InstallTranslation(quillet::InterfaceLanguage::English);
            QVERIFY(translator);
            Taboutform form;
            const QStringList english = texts(form);
            QCOMPARE(english.constFirst(), QStringLiteral("About Quillet"));
            for (const QString& text : english)
                QVERIFY2(!text.isEmpty() && !text.contains(chinese), qPrintable(text));
        }
        Taboutform form;
        QCOMPARE(texts(form).mid(0, 4), (QStringList{QStringLiteral("关于【Quillet】"), QStringLiteral("网址："),
                                                     QStringLiteral("确定"), QStringLiteral("后退")}));
    }

    void missingTableChangesNothing() {
        Run().Language = QStringLiteral("klingon");
        Taboutform form;
        QVERIFY(showAndWaitFor(form, aboutURL()));
        QVERIFY(enterAddress(form, pageURL(QStringLiteral("second.htm"))));
        QVERIFY(form.close());
        QVERIFY(form.isHidden());
        Run().Language = QStringLiteral("vulcan");
        form.show();
        QVERIFY(form.WebBrowser->history()->canGoBack());
        QCOMPARE(form.note->text(), QStringLiteral("网址："));
        QCOMPARE(form.bsSkinSpeedButton1->toolTip(), QStringLiteral("导出到IE浏览器"));
        QTest::qWait(300);
        QCOMPARE(form.Edit_input->text(), pageURL(QStringLiteral("second.htm")));
    }

    void oversizedTableIsToldAndChangesNothing() {
        // A terabyte of holes: read whole it would ask for a terabyte of memory.
        QFile table(programDir + QStringLiteral("Language/chinese_about.ini"));
        QVERIFY(table.open(QIODevice::WriteOnly));
        QVERIFY(table.resize(qint64{1} << 40));
        table.close();
        Taboutform form;
        QCOMPARE(form.note->text(), QStringLiteral("网址："));
        const QList<QMessageBox*> boxes = form.findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first()->text(), table.fileName() + QStringLiteral(": too large (more than 1 MB)"));
        QVERIFY(boxes.first()->isVisible());
    }

    void languageNamesCompareWithLetterCase_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("noteAfterShow");
        QTest::newRow("stored Chinese reapplies") << QStringLiteral("Chinese") << QStringLiteral("网址乙");
        QTest::newRow("stored chinese keeps") << QStringLiteral("chinese") << QStringLiteral("网址甲");
    }

    void languageNamesCompareWithLetterCase() {
        QFETCH(QString, stored);
        QFETCH(QString, noteAfterShow);
        writeLanguage(QStringLiteral("chinese_about.ini"), "1=网址甲\n");
        Run().Language = stored;
        Taboutform form;
        QCOMPARE(form.AboutLanguage, QStringLiteral("chinese"));
        QCOMPARE(form.note->text(), QStringLiteral("网址甲"));

        writeLanguage(QStringLiteral("chinese_about.ini"), "1=网址乙\n");
        QVERIFY(showAndWaitFor(form, aboutURL()));
        QCOMPARE(form.AboutLanguage, stored);
        QCOMPARE(form.note->text(), noteAfterShow);
    }

    void browserButtonPassesTheAddressAsOneArgument() {
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        const QString browser = bin.path() + QStringLiteral("/x-www-browser");
        writeFile(browser,
                  "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n");
        QVERIFY(QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8() + ':' + savedPath);

        Taboutform form;
        QVERIFY(showAndWaitFor(form, aboutURL()));
        form.bsSkinSpeedButton1->click();
        qputenv("PATH", savedPath);

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(browser + QStringLiteral(".args")), 10000);
        QFile args(browser + QStringLiteral(".args"));
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(args.readAll()), QStringLiteral("1\n") + aboutURL() + QLatin1Char('\n'));
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestAboutWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_aboutwindow.moc"

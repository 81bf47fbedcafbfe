#include "aboutwindow.h"
#include "batchmode.h"
#include "filetype.h"
#include "mainwindow.h"
#include "prompts.h"
#include "qttranslation.h"
#include "settings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>
#include <QTranslator>

#include <unistd.h>

namespace {

// The web view's sandbox cannot start as root; without it the about window would stay blank.
void allowWebViewAsRoot() {
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

int runEditor(int argc, char* argv[], const QStringList& arguments) {
    allowWebViewAsRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web view shares the GL context
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillet"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillet"));
    // Before the window, whose start-up may already ask a question.
    const auto qtTexts = quillet::InstallQtTranslation(
        quillet::StoredLanguage(QCoreApplication::applicationDirPath() + QStringLiteral("/Tevrano.ini")));

    quillet::QtPrompts prompts;
    quillet::TForm_movie window(prompts, arguments);
    prompts.setParent(&window);
    window.show();
    // Created hidden after the main window, so the settings have been read; its web view is made
    // only when it is first shown.
    quillet::Taboutform about;
    window.setAboutWindow(&about);
    return app.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (arguments == QStringList{QStringLiteral("--register-file-type")}) {
        QCoreApplication app(argc, argv);
        quillet::RegisterFileType(QStringLiteral("mmt"));
        return 0;
    }
    if (quillet::IsBatchInvocation(arguments)) {
        // No window and no widget: the batch commands only need fonts and pictures.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return quillet::RunBatch(arguments, QCoreApplication::applicationDirPath() + QLatin1Char('/'), out, err);
    }
    return runEditor(argc, argv, arguments);
}

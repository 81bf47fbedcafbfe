#include "aboutwindow.h"
#include "batchmode.h"
#include "filetype.h"
#include "mainwindow.h"
#include "prompts.h"
#include "qttranslation.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>
#include <QTranslator>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The web view's sandbox cannot start as root; without it the about window would stay blank.
void allowWebViewAsRoot() {
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

// A standard stream the caller closed keeps its number taken, by a descriptor that refuses writes:
// otherwise the next file opened would get it, and text meant for the stream would land in that file.
void holdClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1) {
            const int held = ::open("/dev/null", O_RDONLY);
            if (held >= 0 && held != fd) ::close(held);
        }
    }
}

// The arguments as text. A file name is bytes; one that is not valid UTF-8 has no text that names
// the same file, so it is also collected in `inexact` (its bytes shown as far as they can be) and
// must not be used: a file of another name would be read or written in its place.
QStringList decodeArguments(int argc, char* argv[], QStringList& inexact) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        arguments << QFile::decodeName(bytes);
        if (QFile::encodeName(arguments.constLast()) != bytes) inexact << arguments.constLast();
    }
    return arguments;
}

QString inexactNameText(const QString& name) {
    return QStringLiteral("\"%1\": the name is not valid UTF-8 text and cannot be used exactly").arg(name);
}

int runEditor(int argc, char* argv[], const QStringList& arguments, const QStringList& inexact) {
    allowWebViewAsRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web view shares the GL context
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillet"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillet"));
    // Before the window, whose start-up may already ask a question.
    const auto translator = quillet::InstallTranslation(
        quillet::ChooseInterfaceLanguage(QCoreApplication::applicationDirPath() + QStringLiteral("/Tevrano.ini")));

    quillet::QtPrompts prompts;
    QStringList exact = arguments;
    for (const QString& name : inexact)
        exact.removeOne(name);
    quillet::TForm_movie window(prompts, exact);
    prompts.setParent(&window);
    window.show();
    for (const QString& name : inexact)
        prompts.critical(inexactNameText(name));
    // Created hidden after the main window, so the settings have been read; its web view is made
    // only when it is first shown.
    quillet::Taboutform about;
    window.setAboutWindow(&about);
    return app.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    holdClosedStandardStreams();
    QStringList inexact;
    const QStringList arguments = decodeArguments(argc, argv, inexact);

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
        if (!inexact.isEmpty()) {
            for (const QString& name : inexact)
                err << QStringLiteral("quillet: ") << inexactNameText(name) << Qt::endl;
            return 2;
        }
        return quillet::RunBatch(arguments, QCoreApplication::applicationDirPath() + QLatin1Char('/'), out, err);
    }
    return runEditor(argc, argv, arguments, inexact);
}

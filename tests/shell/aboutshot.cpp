// A picture of the about window for the documentation: the window on the program's readme.htm, in
// Chinese or English, taken from the screen it is shown on (the web view draws only there).
//   about_screenshot PICTURE.png [English]
#include "aboutwindow.h"
#include "qttranslation.h"
#include "runvalues.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTranslator>

#include <cstdio>

#include <unistd.h>

using namespace quillet;

int main(int argc, char** argv) {
    // As the program does: the web view's sandbox cannot start as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const bool english =
        argc == 3 && QString::fromLocal8Bit(argv[2]).compare(QLatin1String("english"), Qt::CaseInsensitive) == 0;
    if (argc != 2 && !english) {
        std::fprintf(stderr, "usage: about_screenshot PICTURE.png [English]\n");
        return 2;
    }
    const auto translator = InstallTranslation(english ? InterfaceLanguage::English : InterfaceLanguage::Chinese);
    // The program's folder next to this one holds readme.htm and the language tables.
    Run().ProgramDir = QStringLiteral(QUILLET_RUNTIME_DIR "/");
    Run().Language = english ? QStringLiteral("English") : QStringLiteral("Chinese");
    Taboutform about;
    about.show();
    if (!QTest::qWaitFor([&about] { return !about.Edit_input->text().isEmpty(); }, 20000)) {
        std::fprintf(stderr, "about_screenshot: the about page did not load\n");
        return 1;
    }
    QTest::qWait(1000); // the web view's first frame
    const QPixmap picture = about.screen()->grabWindow(about.winId());
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "about_screenshot: %s could not be written\n", argv[1]);
        return 1;
    }
    std::printf("screenshot: %s\n", argv[1]);
    return 0;
}

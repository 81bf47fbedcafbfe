#include "batchmode.h"
#include "filetype.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

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
    return 0;
}

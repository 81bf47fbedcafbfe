// A picture of the cell editor for the documentation: a document opened in a started window, the
// editor on its second unit at 400 % with a selection and the onion skin on, the window saved as PNG.
//   celleditor_screenshot DOCUMENT.mmt PICTURE.png [English]
// With "English" the interface speaks English, otherwise Chinese.
#include "editorfixture.h"

#include "celleditorview.h"
#include "filmpanel.h"
#include "qttranslation.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QTest>
#include <QTranslator>

#include <cstdio>

using namespace quillet;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool english =
        argc == 4 && QString::fromLocal8Bit(argv[3]).compare(QLatin1String("english"), Qt::CaseInsensitive) == 0;
    if (argc != 3 && !english) {
        std::fprintf(stderr, "usage: celleditor_screenshot DOCUMENT.mmt PICTURE.png [English]\n");
        return 2;
    }
    const auto translator = InstallTranslation(english ? InterfaceLanguage::English : InterfaceLanguage::Chinese);
    EditorFixture f;
    TForm_movie& w = f.start();
    w.resize(1000, 700);
    w.show();
    f.prompts.openNames << QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    trigger(w, "TB_open");
    if (w.document().count() < 2) {
        std::fprintf(stderr, "celleditor_screenshot: %s holds fewer than two units\n", argv[1]);
        return 1;
    }
    selectUnit(w, 1);
    trigger(w, "actionEditUnit");
    auto* view = w.findChild<CellEditorView*>(QStringLiteral("CellEditorView"));
    auto* onion = w.findChild<QCheckBox*>(QStringLiteral("cellOnion"));
    if (!view || !onion || view->isHidden()) {
        std::fprintf(stderr, "celleditor_screenshot: the cell editor did not open\n");
        return 1;
    }
    onion->setChecked(true);
    view->setZoom(4);
    // A selection of a few rows and cells, made as the keyboard makes it.
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right})
        QTest::keyClick(view, key);
    for (int k = 0; k < 8; ++k)
        QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    for (int k = 0; k < 3; ++k)
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QCoreApplication::processEvents();
    if (!w.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "celleditor_screenshot: %s could not be written\n", argv[2]);
        return 1;
    }
    std::printf("screenshot: %s\n", argv[2]);
    return 0;
}

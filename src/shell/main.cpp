#include "shell/main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The value boxes draw digits of 70 points and more up to 30 times a second.
    // Qt rasterises glyphs above 64 pixels from their outlines on every paint;
    // letting its glyph cache hold them makes the live panel several times cheaper.
    if (qEnvironmentVariableIsEmpty("QT_MAX_CACHED_GLYPH_SIZE"))
        qputenv("QT_MAX_CACHED_GLYPH_SIZE", "256");
    QApplication app(argc, argv);
    QApplication::setApplicationName("KELVARON");
    kelvaron::TForm1 form;
    form.show();
    return QApplication::exec();
}

#include "shell/main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("KELVARON");
    kelvaron::TForm1 form;
    form.show();
    return QApplication::exec();
}

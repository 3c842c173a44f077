#include "shell/application_look.h"
#include "shell/main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelvaron::ApplyApplicationLook(app);
    kelvaron::TForm1 form;
    form.show();
    return QApplication::exec();
}

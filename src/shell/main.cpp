#include "shell/application_look.h"
#include "shell/end_request.h"
#include "shell/main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelvaron::ApplyApplicationLook(app);
    // A shutdown or a logout closes the windows as the close box does: a dialog
    // open first, then the main window with its close steps.
    kelvaron::OnEndRequest([] { QApplication::closeAllWindows(); });
    kelvaron::TForm1 form;
    form.show();
    return QApplication::exec();
}

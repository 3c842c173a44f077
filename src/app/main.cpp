#include "app/application_look.h"
#include "app/end_request.h"
#include "app/main_window.h"
#include "base/locale_formats.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt's own number and date formats (the chart's axes among them) as the program's.
    QLocale::setDefault(kelvaron::ProgramLocale());
    kelvaron::ApplyApplicationLook(app);
    // A shutdown or a logout closes the windows as the close box does: a dialog
    // open first, then the main window with its close steps.
    kelvaron::OnEndRequest([] { QApplication::closeAllWindows(); });
    kelvaron::TForm1 form;
    form.show();
    return QApplication::exec();
}

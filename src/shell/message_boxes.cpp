#include "message_boxes.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace kelvaron {

void WidgetMessageBoxes::Notice(const QString& text) {
    QMessageBox::information(parent_, QCoreApplication::applicationName(), text);
}

}  // namespace kelvaron

#include "report/report_header.h"

namespace kelvaron {

void TrimVehicleFields(ReportHeader& header) {
    header.vehicleNumber = header.vehicleNumber.trimmed();
    header.owner = header.owner.trimmed();
    header.make = header.make.trimmed();
}

QString VehicleTitle(const ReportHeader& header, const QString& date) {
    return QStringLiteral("№ авт.: ") + header.vehicleNumber + QStringLiteral(" Марка: ") +
           header.make + QStringLiteral(" Влад.: ") + header.owner + QStringLiteral(" Дата: ") +
           date;
}

}  // namespace kelvaron

#pragma once
// ReportHeader: the vehicle's data and the decision for the report. It lives for
// the run only; the report header dialog edits it.
#include <QString>

namespace kelvaron {

struct ReportHeader {
    QString vehicleNumber;
    QString make;
    QString owner;
    QString extra;
    QString vin;
    QString decision = QStringLiteral("________");
    bool operator==(const ReportHeader&) const = default;
};

// The number, make and owner without the blanks around them, as the chart's title,
// the report and the suggested file names take them.
void TrimVehicleFields(ReportHeader& header);

// The second line of the chart's title: "№ авт.: " number, " Марка: " make,
// " Влад.: " owner and " Дата: " `date`.
QString VehicleTitle(const ReportHeader& header, const QString& date);

}  // namespace kelvaron

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
};

}  // namespace kelvaron

#pragma once
// The suggested names of saved reports and chart pictures.
#include "report/report_header.h"

#include <QDateTime>
#include <QString>

namespace kelvaron {

// The file name without extension: the vehicle number and the owner, trimmed,
// each followed by "_" when not empty, then the month and day ("12-06"), "_" and
// the hour (00-23) and minutes ("14-05"). Characters that file names do not allow
// are kept; the file dialog shows them to the operator.
QString StampedBaseName(const ReportHeader& header, const QDateTime& moment);

}  // namespace kelvaron

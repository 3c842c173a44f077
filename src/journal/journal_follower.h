#pragma once
// JournalFollower: turns the window's tests into journal entries. A test that
// reaches its result opens an entry; the entry then follows the report (header,
// decision, norm changed after the result) until the next test starts, the
// results are erased or the program closes. Nothing here asks the operator.
#include "journal/journal.h"
#include "report/report_template.h"
#include "results/chart_record.h"

#include <optional>

namespace kelvaron {

class JournalFollower {
public:
    JournalFollower(Journal& journal, QString programVersion);

    // The instrument the port search found.
    void SetInstrument(const QString& designation, const QString& firmware);
    // A test of `kind` brought its result in: the next composition of the report
    // opens its entry, with the chart as it stands then.
    void ResultArrived(TestKind kind);
    // A test starts, or the results are erased: the entry stays as it is.
    void Leave();
    // The report was composed from `values` into `lines`: the open entry takes what
    // changed and is written again.
    void ReportComposed(const ReportValues& values, const QStringList& lines,
                        const ChartRecord& chart, bool plotsN);

    const std::optional<JournalEntry>& Current() const { return current_; }

private:
    Journal& journal_;
    QString programVersion_;
    QString instrument_;
    QString firmware_;
    TestKind arrived_ = TestKind::None;  // a result whose entry opens at the next composition
    std::optional<JournalEntry> current_;
};

}  // namespace kelvaron

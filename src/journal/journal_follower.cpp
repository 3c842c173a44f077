// Following the report with the journal entry of its test.
#include "journal/journal_follower.h"

#include <QUuid>

namespace kelvaron {

JournalFollower::JournalFollower(Journal& journal, QString programVersion)
    : journal_(journal), programVersion_(std::move(programVersion)) {}

void JournalFollower::SetInstrument(const QString& designation, const QString& firmware) {
    instrument_ = designation;
    firmware_ = firmware;
}

void JournalFollower::ResultArrived(TestKind kind) {
    arrived_ = kind;
    current_.reset();
}

void JournalFollower::Leave() {
    arrived_ = TestKind::None;
    current_.reset();
}

void JournalFollower::ReportComposed(const ReportValues& values, const QStringList& lines,
                                     const ChartRecord& chart, bool plotsN) {
    if (arrived_ != TestKind::None) {
        JournalEntry entry;
        entry.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        entry.moment = values.moment;
        entry.lane = journal_.Settings().lane;
        entry.kind = arrived_;
        entry.instrument = instrument_;
        entry.firmware = firmware_;
        entry.programVersion = programVersion_;
        entry.chart = chart;
        entry.plotsN = plotsN;
        current_ = entry;
        arrived_ = TestKind::None;
    }
    if (!current_) return;
    JournalEntry next = *current_;
    next.stationLine1 = values.stationLine1;
    next.stationLine2 = values.stationLine2;
    next.header = values.header;
    next.results = values.results;
    next.oilText = values.oilText;
    next.normText = values.normsInReport ? values.normText : QString();
    next.report = lines;
    if (next.revision > 0 && next == *current_) return;
    ++next.revision;
    current_ = next;
    journal_.Keep(next);
}

}  // namespace kelvaron

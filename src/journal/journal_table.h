#pragma once
// The journal's table as text: its columns, each entry's cells, and the CSV file
// a selection is exported to. The CSV is for a spreadsheet set up for Russian:
// Windows-1251, as such a spreadsheet reads a CSV it opens by a double click;
// ";" between the fields, as its list separator is where the decimal mark is a
// comma; CR LF between the rows; the numbers with a decimal comma.
#include "journal/journal_entry.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace kelvaron {

enum class JournalColumn { Date, Time, Number, Make, Owner, Test, K, N, Result, Decision, Lane };
constexpr int kJournalColumns = 11;

QStringList JournalColumnTitles();
// The text of `column` for `entry`: date and time in Russian formats, K and N
// with a decimal comma (K over range as ">>").
QString JournalCell(const EntrySummary& entry, JournalColumn column);

// The header row and one row per entry. A field is quoted where it holds the
// separator, a quote, a line break or blanks at its ends; a text that a
// spreadsheet would take for a formula (=, +, -, @ at its start) is prefixed
// (after any blanks) with an apostrophe, so that a header text never runs as one.
QByteArray JournalCsv(const QList<EntrySummary>& entries);

}  // namespace kelvaron

#pragma once
// Where the journal is kept: the program's own database file, and, for a station
// of several lanes, a shared server named in "Kelvaron.ini" beside the program:
//
//   [journal]
//   server = postgresql
//   service = kelvaron      ; a libpq service: host, database and user live there,
//                           ; the password in the user's pgpass, none in our files
//   lane = Линия 2          ; this lane's name; the host name when left out
//
// The file is Windows-1251 like every text file of the program; a file that is
// valid UTF-8 is read as such, as an editor on Linux writes it.
#include <QString>

namespace kelvaron {

inline const QString kJournalFileName = QStringLiteral("journal.sqlite");
inline const QString kJournalSettingsFile = QStringLiteral("Kelvaron.ini");

struct JournalSettings {
    QString localPath;  // the program's own database
    bool shared = false;
    QString service;  // the libpq service of the shared server
    QString lane;
};

// The settings for the program folder `folder` (ending with a separator).
// Unknown keys and sections are ignored; a missing or unreadable file means the
// journal is the local one only.
JournalSettings ReadJournalSettings(const QString& folder);

}  // namespace kelvaron

#pragma once
// The norms list: one norm text per line of "norma.txt" beside the program. Every
// line, an empty one too, is one entry, used exactly as written. A missing or
// empty file is replaced by the two built-in norms.
#include <QString>
#include <QStringList>

#include <optional>

namespace kelvaron {

inline const QString kNormsFileName = QStringLiteral("norma.txt");

// The two built-in norms (35 characters each, four leading spaces).
QStringList DefaultNorms();

// Where the list that LoadNormsList leaves comes from: the norms file (read from
// it, or the built-in norms written to a missing or empty one), or the built-in
// norms standing in for a file that exists but cannot be read. Only the file's
// own list is ever saved back over it.
enum class NormsSource { File, StandIn };

// Fills `list` from the norms file at `path`.
// - The file exists and holds lines: `list` becomes those lines.
// - The file exists but holds no lines (an empty file): the built-in norms go
//   into `list` and are written to the file.
// - The file is missing: entries 0 and 1 of `list` are set to the built-in norms
//   (added to a shorter list, replaced in a longer one, whose further entries
//   stay) and the whole list is written to the file.
// - The file exists but cannot be read (no read permission, no regular file,
//   larger than kMaxTextFileBytes): `list` holds the built-in norms as a stand-in
//   and the file is left alone, so that a list the station keeps is never
//   overwritten.
// A failed write is ignored.
NormsSource LoadNormsList(const QString& path, QStringList& list);

// Writes every entry followed by CR LF, in Windows-1251, replacing the file in
// one step. False when it fails.
bool SaveNormsList(const QString& path, const QStringList& list);

// "Добавить": a text with more than blanks is appended as typed, blanks kept, and
// the list saved when it is the file's (a failed save is ignored; a stand-in list
// is kept for the run only); the index of the new entry. A blank text adds
// nothing.
std::optional<int> AddNorm(const QString& path, QStringList& list, const QString& text,
                           NormsSource source);

// The entry to select for a stored `normIndex`: the index itself when it names
// an entry, 0 when it lies beyond the last entry or is negative (a damaged
// settings file); -1 for an empty list.
int StoredNormIndex(const QStringList& list, int normIndex);

// Start-up: the entry to select for the stored `normIndex` and the norm text it
// gives (empty when the list is empty).
struct NormChoice {
    int index = -1;
    QString text;
};
NormChoice ChooseStoredNorm(const QStringList& list, int normIndex);

// The norm text "ОК" of the norms dialog leaves: the typed text as typed when it
// holds more than blanks, otherwise the selected entry; with no entry selected
// the current text stays.
QString ConfirmedNormText(const QString& typed, const QStringList& list, int selected,
                          const QString& current);

}  // namespace kelvaron

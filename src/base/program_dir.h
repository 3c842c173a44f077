#pragma once
#include <QString>

namespace kelvaron {

// The absolute folder of the executable, with a trailing separator.
QString ProgramDir();

// Where the program keeps its files (settings, station file, template, norms
// list, the folders "Text", "Graph" and "Output") and where it reads the
// documents it ships with (guide, licence, product document and picture). Both
// end with a separator; neither depends on the working directory.
struct ProgramFolders {
    QString files;
    QString documents;
};

// The folders for a program in `programDir`. A program in a folder of its own
// (a portable folder, a Windows install in a user's folder) keeps everything
// there. An installed program (its folder a "bin" with "../share/kelvaron"
// beside it) and a program whose folder cannot be written keep their files in
// `userDataDir` + "/kelvaron" and read the documents from "../share/kelvaron"
// when it is there. Installed is told by the layout, not by the right to write:
// root may write /usr/bin, and its files still do not belong there.
ProgramFolders ChooseProgramFolders(const QString& programDir, const QString& userDataDir);

// ChooseProgramFolders for this executable and the user's data folder
// ($XDG_DATA_HOME, or ~/.local/share), the files' folder created; the folder in
// use is written to the log once.
ProgramFolders ThisProgramFolders();

}  // namespace kelvaron

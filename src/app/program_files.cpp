#include "app/program_files.h"

#include "base/safe_file.h"
#include "report/norms_list.h"
#include "report/report_template.h"

#include <QDir>
#include <QFileInfo>

namespace kelvaron {

void PrepareProgramFolder(const QString& programDir) {
    for (const char* folder : {"Text", "Graph", "Output"}) {
        const QString path = programDir + QLatin1String(folder);
        if (!QFileInfo(path).isDir()) QDir().mkdir(path);
    }
    RemoveStaleTemporaries(programDir,
                           {kSettingsFile, kStationFile, kTemplateFileName, kNormsFileName});
    RemoveStaleTemporaries(programDir + QStringLiteral("Text"), {QStringLiteral("*.txt")});
    RemoveStaleTemporaries(programDir + QStringLiteral("Graph"),
                           {QStringLiteral("*.bmp"), QStringLiteral("*.emf")});
}

}  // namespace kelvaron

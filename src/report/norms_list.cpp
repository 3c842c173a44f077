#include "report/norms_list.h"

#include "report/text_lines.h"

#include <QFileInfo>

namespace kelvaron {

namespace {

bool IsBlank(const QString& text) { return text.trimmed().isEmpty(); }

void PutDefaults(QStringList& list) {
    const QStringList defaults = DefaultNorms();
    for (int i = 0; i < defaults.size(); ++i) {
        if (i < list.size())
            list[i] = defaults[i];
        else
            list << defaults[i];
    }
}

}  // namespace

QStringList DefaultNorms() {
    return {QStringLiteral("    по ГОСТ без наддува:   2,5  м-1"),
            QStringLiteral("    по ГОСТ с наддувом:    3,0  м-1")};
}

NormsSource LoadNormsList(const QString& path, QStringList& list) {
    if (QFileInfo::exists(path)) {
        std::optional<QStringList> read = ReadTextLines(path);
        if (!read) {
            list = DefaultNorms();
            return NormsSource::StandIn;
        }
        list = std::move(*read);
        if (!list.isEmpty()) return NormsSource::File;
    }
    PutDefaults(list);
    SaveNormsList(path, list);
    return NormsSource::File;
}

bool SaveNormsList(const QString& path, const QStringList& list) {
    return WriteTextLines(path, list);
}

std::optional<int> AddNorm(const QString& path, QStringList& list, const QString& text,
                           NormsSource source) {
    if (IsBlank(text)) return std::nullopt;
    list << text;
    if (source == NormsSource::File) SaveNormsList(path, list);
    return static_cast<int>(list.size() - 1);
}

int StoredNormIndex(const QStringList& list, int normIndex) {
    if (list.isEmpty()) return -1;
    return normIndex >= 0 && normIndex < list.size() ? normIndex : 0;
}

NormChoice ChooseStoredNorm(const QStringList& list, int normIndex) {
    NormChoice choice;
    choice.index = StoredNormIndex(list, normIndex);
    if (choice.index >= 0) choice.text = list[choice.index];
    return choice;
}

QString ConfirmedNormText(const QString& typed, const QStringList& list, int selected,
                          const QString& current) {
    if (!IsBlank(typed)) return typed;
    if (selected >= 0 && selected < list.size()) return list[selected];
    return current;
}

}  // namespace kelvaron

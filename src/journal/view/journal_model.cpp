// Paging the journal into its table.
#include "journal/view/journal_model.h"

namespace kelvaron {

JournalModel::JournalModel(QObject* parent) : QAbstractTableModel(parent) {}

void JournalModel::Show(JournalStore* store, const JournalFilter& filter) {
    beginResetModel();
    store_ = store;
    filter_ = filter;
    rows_.clear();
    total_ = store_ ? store_->Count(filter_) : 0;
    more_ = total_ > 0;
    endResetModel();
    if (more_) fetchMore({});
}

int JournalModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int JournalModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kJournalColumns;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    const auto column = static_cast<JournalColumn>(index.column());
    if (role == Qt::DisplayRole) return JournalCell(rows_.at(index.row()), column);
    if (role == Qt::TextAlignmentRole && (column == JournalColumn::K || column == JournalColumn::N))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return JournalColumnTitles().value(section);
}

bool JournalModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && more_;
}

void JournalModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || !more_ || !store_) return;
    std::optional<PagePosition> after;
    if (!rows_.isEmpty()) after = PagePosition{rows_.last().moment, rows_.last().id};
    const QList<EntrySummary> page = store_->Page(filter_, after, kPage);
    more_ = page.size() == kPage;
    if (page.isEmpty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    rows_.append(page);
    endInsertRows();
}

}  // namespace kelvaron

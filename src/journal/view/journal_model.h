#pragma once
// The journal's entries as a table model, newest first, read a page at a time as
// the table scrolls, so that a journal of any size opens at once.
#include "journal/journal_store.h"
#include "journal/journal_table.h"

#include <QAbstractTableModel>

namespace kelvaron {

class JournalModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kPage = 100;

    explicit JournalModel(QObject* parent = nullptr);

    // Reads `store` (not owned; nothing when null) with `filter`, from the top.
    void Show(JournalStore* store, const JournalFilter& filter);
    // The entries matching the filter, read or not.
    int Total() const { return total_; }
    const EntrySummary& Entry(int row) const { return rows_.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    JournalStore* store_ = nullptr;
    JournalFilter filter_;
    QList<EntrySummary> rows_;
    int total_ = 0;
    bool more_ = false;
};

}  // namespace kelvaron

#pragma once

#include "results/TextIndex.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace results {

struct Column
{
    QString title;
    int widthTwips;
};

// A row: its text (first column) and, in the two-column layout, one sub-item (second column).
struct Row
{
    QString text;
    QString subItem;
    bool hasSubItem = false;
    // The hit: the sub-item in the two-column shape, else the text.
    const QString& extracted() const { return hasSubItem ? subItem : text; }
};

// A results list: rows in the order added, column headers, and an index of the extracted texts that
// tells a duplicate at once, however many rows there are. Each distinct text is stored once, in the
// index's arena; a row is two numbers into it, and row() rebuilds its strings.
//
// As a model it shows rows to views in batches: rows added since the last batch are announced together
// when the event loop next runs, so adding millions of rows costs no per-row view update.
class ResultsList : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ResultsList(QObject* parent = nullptr);

    void setColumns(QList<Column> columns);
    const QList<Column>& columns() const { return m_columns; }
    void setHeaderText(int column, const QString& text);

    enum class Duplicates { Keep, Drop };
    // Appends a row; with Drop, nothing happens when its extracted text is already listed.
    void add(Row row, Duplicates duplicates = Duplicates::Keep);
    qsizetype count() const { return qsizetype(m_rows.size()); }
    Row row(qsizetype index) const { return rowAt(m_rows[size_t(index)]); }

    void removeAt(qsizetype index);
    // Removes every row for which drop(row) is true, keeping the others in order.
    template <class Predicate>
    void removeIf(Predicate drop);
    void clear();

    // Announces the rows added since the last batch to the views now.
    void showPendingRows();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    void columnsChanged();

private:
    static constexpr TextIndex::Id kNoSubItem = ~TextIndex::Id(0);
    struct StoredRow
    {
        TextIndex::Id text;
        TextIndex::Id subItem; // kNoSubItem in the one-column shape
        TextIndex::Id extracted() const { return subItem == kNoSubItem ? text : subItem; }
    };
    Row rowAt(const StoredRow& stored) const;
    TextIndex::Id intern(const QString& text);
    void resetRows(std::vector<StoredRow> rows);

    QList<Column> m_columns;
    std::vector<StoredRow> m_rows;
    TextIndex m_texts;
    std::vector<std::uint32_t> m_extractedCounts; // per text: the rows whose hit it is
    std::string m_scratch;
    qsizetype m_shown = 0;
    bool m_batchQueued = false;
};

template <class Predicate>
void ResultsList::removeIf(Predicate drop)
{
    std::vector<StoredRow> kept;
    kept.reserve(m_rows.size());
    for (const StoredRow& r : m_rows) {
        const Row row = rowAt(r);
        if (!drop(row))
            kept.push_back(r);
    }
    resetRows(std::move(kept));
}

} // namespace results

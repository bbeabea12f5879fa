#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
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
// tells a duplicate at once, however many rows there are.
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
    const Row& row(qsizetype index) const { return m_rows[size_t(index)]; }

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
    void forget(const Row& row);
    void resetRows(std::vector<Row> rows);

    QList<Column> m_columns;
    std::vector<Row> m_rows;
    QHash<QString, qsizetype> m_extractedCounts;
    qsizetype m_shown = 0;
    bool m_batchQueued = false;
};

template <class Predicate>
void ResultsList::removeIf(Predicate drop)
{
    std::vector<Row> kept;
    kept.reserve(m_rows.size());
    for (Row& r : m_rows) {
        if (!drop(std::as_const(r)))
            kept.push_back(std::move(r));
    }
    resetRows(std::move(kept));
}

} // namespace results

#include "results/ResultsList.h"

namespace results {

ResultsList::ResultsList(QObject* parent) : QAbstractTableModel(parent) {}

void ResultsList::setColumns(QList<Column> columns)
{
    beginResetModel();
    m_columns = std::move(columns);
    m_shown = count();
    endResetModel();
    Q_EMIT columnsChanged();
}

void ResultsList::setHeaderText(int column, const QString& text)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].title = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void ResultsList::add(Row row, Duplicates duplicates)
{
    // One hash lookup both tests for the text and counts it.
    qsizetype& listed = m_extractedCounts[row.extracted()];
    if (listed > 0 && duplicates == Duplicates::Drop)
        return;
    ++listed;
    m_rows.push_back(std::move(row));
    if (!m_batchQueued) {
        m_batchQueued = true;
        QMetaObject::invokeMethod(this, &ResultsList::showPendingRows, Qt::QueuedConnection);
    }
}

void ResultsList::showPendingRows()
{
    m_batchQueued = false;
    if (m_shown >= count())
        return;
    beginInsertRows({}, int(m_shown), int(count() - 1));
    m_shown = count();
    endInsertRows();
}

void ResultsList::forget(const Row& row)
{
    const auto it = m_extractedCounts.find(row.extracted());
    if (it != m_extractedCounts.end() && --it.value() == 0)
        m_extractedCounts.erase(it);
}

void ResultsList::removeAt(qsizetype index)
{
    if (index < 0 || index >= count())
        return;
    showPendingRows();
    beginRemoveRows({}, int(index), int(index));
    forget(m_rows[size_t(index)]);
    m_rows.erase(m_rows.begin() + index);
    m_shown = count();
    endRemoveRows();
}

void ResultsList::clear()
{
    resetRows({});
}

void ResultsList::resetRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_extractedCounts.clear();
    for (const Row& r : m_rows)
        ++m_extractedCounts[r.extracted()];
    m_shown = count();
    endResetModel();
}

int ResultsList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown);
}

int ResultsList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ResultsList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown || role != Qt::DisplayRole)
        return {};
    const Row& r = m_rows[size_t(index.row())];
    switch (index.column()) {
    case 0:
        return r.text;
    case 1:
        return r.hasSubItem ? r.subItem : QString();
    default:
        return {};
    }
}

QVariant ResultsList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_columns.size())
        return {};
    return m_columns[section].title;
}

} // namespace results

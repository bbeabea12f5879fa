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

TextIndex::Id ResultsList::intern(const QString& text)
{
    const TextIndex::Id id = m_texts.insert(encodeText(text, m_scratch));
    if (id >= m_extractedCounts.size())
        m_extractedCounts.resize(size_t(id) + 1, 0);
    return id;
}

Row ResultsList::rowAt(const StoredRow& stored) const
{
    if (stored.subItem == kNoSubItem)
        return {decodeText(m_texts.at(stored.text)), {}, false};
    return {decodeText(m_texts.at(stored.text)), decodeText(m_texts.at(stored.subItem)), true};
}

void ResultsList::add(Row row, Duplicates duplicates)
{
    // One hash lookup both tests for the text and finds its count.
    const TextIndex::Id extracted = intern(row.extracted());
    std::uint32_t& listed = m_extractedCounts[extracted];
    if (listed > 0 && duplicates == Duplicates::Drop)
        return;
    ++listed;
    if (row.hasSubItem)
        m_rows.push_back({intern(row.text), extracted});
    else
        m_rows.push_back({extracted, kNoSubItem});
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

void ResultsList::removeAt(qsizetype index)
{
    if (index < 0 || index >= count())
        return;
    showPendingRows();
    beginRemoveRows({}, int(index), int(index));
    --m_extractedCounts[m_rows[size_t(index)].extracted()];
    m_rows.erase(m_rows.begin() + index);
    m_shown = count();
    endRemoveRows();
}

void ResultsList::clear()
{
    resetRows({});
}

void ResultsList::resetRows(std::vector<StoredRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    if (m_rows.empty()) {
        m_texts.clear();
        m_extractedCounts = {};
    } else {
        std::fill(m_extractedCounts.begin(), m_extractedCounts.end(), 0);
        for (const StoredRow& r : m_rows)
            ++m_extractedCounts[r.extracted()];
    }
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
    const StoredRow& r = m_rows[size_t(index.row())];
    switch (index.column()) {
    case 0:
        return decodeText(m_texts.at(r.text));
    case 1:
        return r.subItem == kNoSubItem ? QString() : decodeText(m_texts.at(r.subItem));
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

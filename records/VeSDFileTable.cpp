#include "VeSDFileTable.h"

#include <QDateTime>
#include <QHeaderView>
#include <QTableWidget>

VeSDFileTable::VeSDFileTable(QTableWidget* table, const QStringList& headers) : m_table(table) {
    m_table->setColumnCount(ColumnCount);
    m_table->setHorizontalHeaderLabels(headers);
    const int widths[ColumnCount] = {50, 150, 180, 80, 200};
    for (int c = 0; c < ColumnCount; ++c)
        m_table->setColumnWidth(c, widths[c]);
    m_table->verticalHeader()->setVisible(false);
    m_table->verticalHeader()->setDefaultSectionSize(30);
}

void VeSDFileTable::clear() {
    m_table->setRowCount(0);
}

void VeSDFileTable::fill(const QHash<QString, VeSDFileEntry>& files,
                         const std::function<QString(const VeSDFileEntry&)>& progress) {
    m_table->setSortingEnabled(false);
    m_table->setRowCount(0);
    for (const VeSDFileEntry& entry : files) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        m_table->setRowHeight(row, 30);
        const QDateTime start = entry.startTime();
        const QString texts[ColumnCount] = {
            QString::number(entry.id),
            start.isValid() ? start.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : QString(), entry.name,
            QString::number(entry.size / (1024 * 1024)), progress(entry)};
        for (int c = 0; c < ColumnCount; ++c)
            m_table->setItem(row, c, new QTableWidgetItem(texts[c]));
    }
    m_table->sortItems(ColumnStart, Qt::DescendingOrder);
}

int VeSDFileTable::rowOf(const QString& name) const {
    if (name.isEmpty())
        return -1;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (m_table->item(row, ColumnName)->text() == name)
            return row;
    }
    return -1;
}

QString VeSDFileTable::nameAt(int row) const {
    const QTableWidgetItem* item = row >= 0 ? m_table->item(row, ColumnName) : nullptr;
    return item ? item->text() : QString();
}

void VeSDFileTable::setProgressText(const QString& name, const QString& text) {
    const int row = rowOf(name);
    if (row >= 0)
        m_table->item(row, ColumnProgress)->setText(text);
}

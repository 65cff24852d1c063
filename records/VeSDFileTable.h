#pragma once

#include "VeSDFileEntry.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

class QTableWidget;

// The SD dialog's grid of a card's recordings: its five columns, one row per listed file (newest first),
// and the lookups by file name the dialog's actions need.
class VeSDFileTable {
public:
    enum Column { ColumnId, ColumnStart, ColumnName, ColumnSize, ColumnProgress, ColumnCount };

    // Sets up the columns with the dialog's (translated) header texts.
    VeSDFileTable(QTableWidget* table, const QStringList& headers);
    void clear();
    // One row a file, the progress column from `progress`; sorted by start time, newest first.
    void fill(const QHash<QString, VeSDFileEntry>& files,
              const std::function<QString(const VeSDFileEntry&)>& progress);
    // -1 when no row shows the file.
    int rowOf(const QString& name) const;
    // The file of a row; empty for no row.
    QString nameAt(int row) const;
    void setProgressText(const QString& name, const QString& text);

private:
    QTableWidget* m_table;
};

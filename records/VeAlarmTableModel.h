#pragma once

#include "VeAlarmInfoModel.h"

#include <QAbstractTableModel>
#include <QVector>

// The alarm log dialog's rows: time, camera id, event text. Holds the last query's list, so that a large
// log costs one pass over the query and nothing per row until the view paints it.
class VeAlarmTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setAlarms(QVector<VeAlarmInfoModel> alarms);
    const QVector<VeAlarmInfoModel>& alarms() const { return m_alarms; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<VeAlarmInfoModel> m_alarms;
};

#include "VeAlarmTableModel.h"

#include <QCoreApplication>

void VeAlarmTableModel::setAlarms(QVector<VeAlarmInfoModel> alarms) {
    beginResetModel();
    m_alarms = std::move(alarms);
    endResetModel();
}

int VeAlarmTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_alarms.size();
}

int VeAlarmTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant VeAlarmTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_alarms.size())
        return QVariant();
    const VeAlarmInfoModel& alarm = m_alarms.at(index.row());
    switch (index.column()) {
    case 0:
        return alarm.time;
    case 1:
        return alarm.devID;
    case 2:
        return alarm.typeText();
    default:
        return QVariant();
    }
}

QVariant VeAlarmTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0:
        return QCoreApplication::translate("VeAppLogDialog", "时间");
    case 1:
        return QCoreApplication::translate("VeAppLogDialog", "设备");
    case 2:
        return QCoreApplication::translate("VeAppLogDialog", "描述");
    default:
        return QVariant();
    }
}

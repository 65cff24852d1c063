#pragma once

#include <QString>

// One listed alarm log record, in the row's column order of the table.
class VeAlarmInfoModel {
public:
    VeAlarmInfoModel() = default;
    VeAlarmInfoModel(const QString& time, const QString& devID, int type)
        : devID(devID), time(time), type(type) {}

    // The event's display text; a type this client never writes shows "Unknow message".
    QString typeText() const;

    QString devID;
    QString time;
    int type = 0;
};

#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

// One wireless network found by a survey.
class VeSSIDInfoObject : public QObject {
    Q_OBJECT
public:
    explicit VeSSIDInfoObject(const QString& name = QString(), qint32 signal = 0, QObject* parent = nullptr);

    QString name;
    qint32 signal; // strength in percent
};

Q_DECLARE_METATYPE(QList<VeSSIDInfoObject*>)

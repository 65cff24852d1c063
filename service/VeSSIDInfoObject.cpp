#include "VeSSIDInfoObject.h"

VeSSIDInfoObject::VeSSIDInfoObject(const QString& name, qint32 signal, QObject* parent)
    : QObject(parent), name(name), signal(signal) {}

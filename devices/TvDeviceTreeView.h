#pragma once

#include <QIcon>
#include <QList>
#include <QTreeView>

class QStandardItemModel;
class VeCameraModel;

// The flat device list: one row per camera with an offline, online or playing icon.
class TvDeviceTreeView : public QTreeView {
    Q_OBJECT
public:
    // Item role under which each row keeps its VeCameraModel pointer.
    static constexpr int CameraRole = Qt::UserRole + 1;

    explicit TvDeviceTreeView(QWidget* parent = nullptr);

    // Rebuilds the rows; the view never owns the records.
    void setDeviceList(const QList<VeCameraModel*>& list);

    QStandardItemModel* itemModel() const { return m_model; }

private:
    QStandardItemModel* m_model;
    // Loaded once; the list is rebuilt after every state change.
    QIcon m_offline;
    QIcon m_online;
    QIcon m_playing;
};

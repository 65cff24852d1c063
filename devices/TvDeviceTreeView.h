#pragma once

#include <QIcon>
#include <QList>
#include <QSet>
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

    // Rebuilds the rows; the view never owns the records. A playing camera whose id is in `stalled`
    // sends no pictures while its call is made again: it shows the offline icon and says so.
    void setDeviceList(const QList<VeCameraModel*>& list, const QSet<QString>& stalled = {});

    QStandardItemModel* itemModel() const { return m_model; }

private:
    QStandardItemModel* m_model;
    // Loaded once; the list is rebuilt after every state change.
    QIcon m_offline;
    QIcon m_online;
    QIcon m_playing;
};

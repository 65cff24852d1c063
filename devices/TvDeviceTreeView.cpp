#include "TvDeviceTreeView.h"

#include "VeCameraModel.h"

#include <QHeaderView>
#include <QIcon>
#include <QStandardItemModel>

TvDeviceTreeView::TvDeviceTreeView(QWidget* parent)
    : QTreeView(parent), m_model(new QStandardItemModel(0, 1, this)),
      m_offline(QStringLiteral(":/images/user_offline.bmp")),
      m_online(QStringLiteral(":/images/user_online.bmp")),
      m_playing(QStringLiteral(":/images/user_select.bmp")) {
    setModel(m_model);
    header()->hide();
    setFocusPolicy(Qt::NoFocus);
    qRegisterMetaType<VeCameraModel*>("VeCameraModel*");
}

namespace {
// A standard (ONVIF) camera's id is a UUID: while it has no alias of its own, its own name says more, and
// the kind tells why it offers fewer settings. The flag reads "ONVIF" or "ONVIF NAME".
QString shownName(const VeCameraModel* camera) {
    if (!camera->devFlag.startsWith(QLatin1String("ONVIF")))
        return camera->alias;
    const QString name = camera->devFlag.mid(6);
    return QStringLiteral("%1 (ONVIF)")
        .arg(camera->alias == camera->deviceId && !name.isEmpty() ? name : camera->alias);
}
} // namespace

void TvDeviceTreeView::setDeviceList(const QList<VeCameraModel*>& list, const QSet<QString>& stalled) {
    m_model->clear();
    m_model->setColumnCount(1);
    for (VeCameraModel* camera : list) {
        if (!camera)
            continue;
        auto* item = new QStandardItem; // owned by the model once appended
        item->setData(camera->deviceId, Qt::ToolTipRole);
        const bool away = camera->playing && stalled.contains(camera->deviceId);
        const QString name = shownName(camera);
        item->setData(away ? tr("%1（正在重连）").arg(name) : name, Qt::DisplayRole);
        const QIcon& icon =
            !camera->isOnline() || away ? m_offline : (camera->playing ? m_playing : m_online);
        item->setData(icon, Qt::DecorationRole);
        item->setData(QVariant::fromValue(camera), CameraRole);
        item->setEditable(false);
        m_model->appendRow(item);
        camera->modelIndex = item->index();
    }
}

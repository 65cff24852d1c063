#include "VeAlarmInfoModel.h"

#include <QCoreApplication>

namespace {

const char* const kTypeTexts[] = {
    QT_TRANSLATE_NOOP("VeAlarmInfoModel", "移动侦测"), QT_TRANSLATE_NOOP("VeAlarmInfoModel", "IO报警"),
    QT_TRANSLATE_NOOP("VeAlarmInfoModel", "打开视频"), QT_TRANSLATE_NOOP("VeAlarmInfoModel", "关闭视频"),
    QT_TRANSLATE_NOOP("VeAlarmInfoModel", "设备上线"), QT_TRANSLATE_NOOP("VeAlarmInfoModel", "设备掉线"),
};

} // namespace

QString VeAlarmInfoModel::typeText() const {
    if (type < 0 || type >= int(sizeof(kTypeTexts) / sizeof(kTypeTexts[0])))
        return QStringLiteral("Unknow message");
    return QCoreApplication::translate("VeAlarmInfoModel", kTypeTexts[type]);
}

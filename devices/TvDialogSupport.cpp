#include "TvDialogSupport.h"

#include "NxDataCenter.h"
#include "NxParamRecords.h"
#include "TvHandOver.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

namespace TvDialogSupport {

void notice(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("TvDialogSupport", "提示"), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

bool breaksRecord(const QString& text) {
    return text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('='));
}

void runJob(QObject* owner, std::function<qint32()> work, std::function<void(qint32)> done) {
    QPointer<QObject> guard(owner);
    NxDataCenter::instance()->runInBackground([guard, work, done] {
        const qint32 result = work();
        QMetaObject::invokeMethod(QCoreApplication::instance(), tvHandOver([guard, done, result] {
                                      if (guard)
                                          done(result);
                                  }),
                                  Qt::QueuedConnection);
    });
}

QList<QPair<qint32, qint32>> resetVideoDefaults(VideoParam* param) {
    param->bri = 32;
    param->con = 32;
    param->sha = 38;
    param->sat = 32;
    param->rate = 25;
    param->stream = 1024;
    return {{50, param->bri}, {52, param->con},  {67, param->sha},
            {53, param->sat}, {57, param->rate}, {54, param->stream}};
}

} // namespace TvDialogSupport

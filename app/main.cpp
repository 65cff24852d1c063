#include "MainWindow.h"
#include "NxAsyncJob.h"

#include "TvCallWorker.h"
#include "TvDefaultSettings.h"
#include "TvGlobal.h"
#include "VeDataBase.h"
#include "VeRecordCenter.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    const int language = TvDefaultSettings::instance()->language();
    // The catalogue lives at the resource root; a missing one leaves the Chinese source texts.
    g_translator.load(TvGlobal::translatorPathFor(language), QString(), QString(), QString());
    QApplication::installTranslator(&g_translator);

    qWarning() << "==================启动客户端=============="
               << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));

    // The log is installed before the main window starts the centers that write to it.
    VeDataBase* alarmLog = VeDataBase::instance();
    NxAlarmLog::install(alarmLog);
    if (!alarmLog->problem().isEmpty())
        QMessageBox::warning(nullptr, QCoreApplication::translate("MainWindow", "提示"), alarmLog->problem());

    MainWindow window;
    window.show();
    const int result = QApplication::exec();
    // Calls still being hung up get a moment to reach the cameras before the SDK unloads, and
    // recordings being closed are finished, so their files stay playable.
    TvCallWorker::instance()->waitForIdle(5000);
    VeRecordCenter::waitForWriters(5000);
    NxAsyncJob::waitForAll(5000);
    return result;
}

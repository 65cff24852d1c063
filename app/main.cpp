#include "MainWindow.h"

#include "TvDefaultSettings.h"
#include "TvGlobal.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    const int language = TvDefaultSettings::instance()->language();
    // The catalogue lives at the resource root; a missing one leaves the Chinese source texts.
    g_translator.load(TvGlobal::translatorPathFor(language), QString(), QString(), QString());
    QApplication::installTranslator(&g_translator);

    qWarning() << "==================启动客户端=============="
               << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));

    MainWindow window;
    window.show();
    return QApplication::exec();
}

// The camera record (audio codes, saved form, online answers) and the device tree built from it.
#include "DeviceRecord.h"
#include "TvDeviceQuery.h"
#include "TvDeviceTreeView.h"
#include "VeCameraModel.h"

#include <QSet>
#include <QStandardItemModel>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

class FakeQuery : public TvDeviceQuery {
public:
    QSet<QString> lan;
    QSet<QString> wan;
    mutable QList<QPair<QString, QString>> pwdChecks;
    bool isLanDevice(const QString& id) const override { return lan.contains(id); }
    bool isWanOnline(const QString& id) const override { return wan.contains(id); }
    bool checkAccessPwd(const QString& local, const QString& stored) const override {
        pwdChecks.append({local, stored});
        return !stored.isEmpty() && local == stored;
    }
};

std::unique_ptr<VeCameraModel> camera(const QString& id, const QString& audio = QString()) {
    return std::make_unique<VeCameraModel>(id, id, QStringLiteral("IPC"), audio, 0, 0, QString(), QString());
}

QImage iconImage(const QVariant& decoration) {
    return decoration.value<QIcon>().pixmap(16, 16).toImage();
}
QImage resourceImage(const char* path) {
    return QIcon(QString::fromLatin1(path)).pixmap(16, 16).toImage();
}

} // namespace

class TestDeviceModel : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { TvDeviceQuery::install(nullptr); }

    void audioTypeCodes() {
        const QList<QPair<QString, int>> cases = {{"PCM", 1},  {"G711", 2}, {"G726", 3},  {"G729", 4},
                                                  {"g711", 1}, {"", 1},     {"G711 ", 1}, {"AAC", 1}};
        for (const auto& c : cases) {
            QCOMPARE(VeCameraModel::audioTypeFor(c.first), c.second);
            QCOMPARE(camera(QStringLiteral("A"), c.first)->audioType, c.second);
        }
    }

    void recordLayoutAndCutting() {
        VeCameraModel cam(QStringLiteral("ID-1"), QStringLiteral("é"), QStringLiteral("flag"),
                          QStringLiteral("G711"), 5, 1, QStringLiteral("dev"), QStringLiteral("usr"));
        DeviceRecord r;
        std::memset(&r, 0x55, sizeof r); // every byte not written must come out zero
        cam.toDeviceRecord(&r);
        const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
        const QList<QPair<int, QByteArray>> fields = {{0, "ID-1"},   {32, "\xC3\xA9"}, {288, "flag"},
                                                      {304, "G711"}, {320, "dev"},     {384, "usr"}};
        for (const auto& f : fields) // the alias as UTF-8
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes) + f.first, f.second.size()), f.second);
        int nonZero = 0;
        for (size_t i = 0; i < sizeof r; ++i)
            nonZero += bytes[i] != 0;
        QCOMPARE(nonZero, 4 + 2 + 4 + 4 + 3 + 3);

        // Texts that exactly fill their field carry no terminator and still read back whole.
        VeCameraModel full(QString(QLatin1Char('d')).repeated(32), QString(QLatin1Char('a')).repeated(256),
                           QString(QLatin1Char('f')).repeated(16), QString(QLatin1Char('t')).repeated(16), 0,
                           0, QString(QLatin1Char('p')).repeated(64), QString(QLatin1Char('u')).repeated(64));
        full.toDeviceRecord(&r);
        std::unique_ptr<VeCameraModel> back(VeCameraModel::fromDeviceRecord(r));
        auto texts = [](const VeCameraModel& m) {
            return QStringList{m.deviceId, m.alias, m.devFlag, m.audioTypeText, m.devAccess, m.userAccess};
        };
        QCOMPARE(texts(*back), texts(full));

        // A two-byte character straddling the alias end is dropped whole, never half-written.
        VeCameraModel straddle(QStringLiteral("x"),
                               QString(QLatin1Char('a')).repeated(255) + QStringLiteral("é"), QString(),
                               QString(), 0, 0, QString(), QString());
        straddle.toDeviceRecord(&r);
        back.reset(VeCameraModel::fromDeviceRecord(r));
        QCOMPARE(back->alias, QString(QLatin1Char('a')).repeated(255));
    }

    void onlineAnswersGoThroughTheService() {
        auto cam = camera(QStringLiteral("C1"));
        cam->userAccess = QStringLiteral("local");
        cam->devAccess = QStringLiteral("stored");
        // No service yet: nothing is online and no password is accepted.
        QVERIFY(!cam->isLanOnline());
        QVERIFY(!cam->isOnline());
        QVERIFY(!cam->isAccessPwdValid());

        FakeQuery query;
        TvDeviceQuery::install(&query);
        QVERIFY(!cam->isOnline());
        query.wan.insert(QStringLiteral("C1"));
        QVERIFY(!cam->isLanOnline());
        QVERIFY(cam->isOnline());
        query.wan.clear();
        query.lan.insert(QStringLiteral("C1"));
        QVERIFY(cam->isLanOnline());
        QVERIFY(cam->isOnline());

        QVERIFY(!cam->isAccessPwdValid());
        QCOMPARE(query.pwdChecks.last(), qMakePair(QStringLiteral("local"), QStringLiteral("stored")));
        cam->userAccess = QStringLiteral("stored");
        QVERIFY(cam->isAccessPwdValid());
    }

    void treeOrderRolesAndIcons() {
        FakeQuery query;
        TvDeviceQuery::install(&query);
        auto lanPlaying = camera(QStringLiteral("LAN1"));
        lanPlaying->alias = QStringLiteral("Porch");
        lanPlaying->playing = true;
        auto wanIdle = camera(QStringLiteral("WAN1"));
        auto offPlaying = camera(QStringLiteral("OFF1"));
        offPlaying->playing = true;
        query.lan.insert(QStringLiteral("LAN1"));
        query.wan.insert(QStringLiteral("WAN1"));

        TvDeviceTreeView view;
        view.setDeviceList({offPlaying.get(), lanPlaying.get(), nullptr, wanIdle.get()});
        QStandardItemModel* model = view.itemModel();
        QCOMPARE(model->rowCount(), 3);

        const QList<VeCameraModel*> order = {offPlaying.get(), lanPlaying.get(), wanIdle.get()};
        const QList<const char*> icons = {":/images/user_offline.bmp", ":/images/user_select.bmp",
                                          ":/images/user_online.bmp"};
        for (int row = 0; row < 3; ++row) {
            const QModelIndex index = model->index(row, 0);
            QCOMPARE(index.data(257).value<VeCameraModel*>(), order[row]);
            QCOMPARE(index.data(Qt::DisplayRole).toString(), order[row]->alias);
            QCOMPARE(index.data(Qt::ToolTipRole).toString(), order[row]->deviceId);
            QCOMPARE(order[row]->modelIndex, index);
            const QImage expected = resourceImage(icons[row]);
            QVERIFY2(!expected.isNull(), icons[row]);
            QCOMPARE(iconImage(index.data(Qt::DecorationRole)), expected);
        }

        // A playing camera whose cell waits for pictures again shows its real state, not the playing one;
        // a camera that is not playing ignores the mark.
        view.setDeviceList({lanPlaying.get(), wanIdle.get()},
                           {QStringLiteral("LAN1"), QStringLiteral("WAN1")});
        QCOMPARE(iconImage(model->index(0, 0).data(Qt::DecorationRole)), resourceImage(icons[0]));
        QCOMPARE(model->index(0, 0).data().toString(), QString::fromUtf8("Porch（正在重连）"));
        QCOMPARE(iconImage(model->index(1, 0).data(Qt::DecorationRole)), resourceImage(icons[2]));
        QCOMPARE(model->index(1, 0).data().toString(), wanIdle->alias);

        // Rebuilding replaces the rows and re-points every record's index.
        view.setDeviceList({wanIdle.get()});
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(wanIdle->modelIndex.row(), 0);
        // A standard camera shows its own name (from the flag) and its kind until it has an alias.
        const QList<QStringList> standard = {{"ONVIF Gate", "", "Gate (ONVIF)"},
                                             {"ONVIF Gate", "Yard", "Yard (ONVIF)"},
                                             {"ONVIF", "", "U-1 (ONVIF)"}};
        for (const QStringList& row : standard) {
            auto cam = camera(QStringLiteral("U-1"));
            cam->devFlag = row[0];
            if (!row[1].isEmpty())
                cam->alias = row[1];
            view.setDeviceList({cam.get()});
            QCOMPARE(model->index(0, 0).data().toString(), row[2]);
        }
        view.setDeviceList({});
        QCOMPARE(model->rowCount(), 0);
    }
};

QTEST_MAIN(TestDeviceModel)
#include "test_devicemodel.moc"

// The camera record (audio codes, saved form), the device tree built from it, and the IPv4 editor: typing
// and Backspace move between the octet fields, and setText takes only whole valid addresses.
#include "DeviceRecord.h"
#include "MyIPLineEdit.h"
#include "MyIPPartLineEdit.h"
#include "TvDeviceQuery.h"
#include "TvDeviceTreeView.h"
#include "VeCameraModel.h"

#include <QSet>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

class FakeQuery : public TvDeviceQuery {
public:
    QSet<QString> lan, wan;
    bool isLanDevice(const QString& id) const override { return lan.contains(id); }
    bool isWanOnline(const QString& id) const override { return wan.contains(id); }
    bool checkAccessPwd(const QString& local, const QString& stored) const override {
        return !stored.isEmpty() && local == stored;
    }
};

std::unique_ptr<VeCameraModel> camera(const QString& id, const QString& audio = QString()) {
    return std::make_unique<VeCameraModel>(id, id, QStringLiteral("IPC"), audio, 0, 0, QString(), QString());
}

QImage iconImage(const QVariant& decoration) {
    return decoration.value<QIcon>().pixmap(16, 16).toImage();
}

} // namespace

class TestDeviceModel : public QObject {
    Q_OBJECT
private:
    MyIPPartLineEdit* field(int i) const {
        return m_edit->findChild<MyIPPartLineEdit*>(QStringLiteral("lineEdit_%1").arg(i));
    }
    int focused() const {
        for (int i = 0; i < 4; ++i)
            if (m_edit->focusWidget() == field(i))
                return i;
        return -1;
    }
    std::unique_ptr<MyIPLineEdit> m_edit;

private slots:
    void cleanup() {
        TvDeviceQuery::install(nullptr);
        m_edit.reset();
    }
    void init() {
        m_edit.reset(new MyIPLineEdit);
        m_edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_edit.get()));
        field(0)->setFocus();
        QTRY_COMPARE(focused(), 0);
    }

    void typing_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("focus");
        const struct {
            const char *tag, *keys, *text;
            int focus;
        } rows[] = {{"three digits move on", "192", "192...", 1},
                    {"26 cannot grow", "26", "26...", 1},
                    {"25 may grow", "25", "25...", 0},
                    {"256 refused", "256", "25...", 0},
                    {"dot moves on", "1.2", "1.2..", 1},
                    {"dot on empty field", ".", "...", 1},
                    {"letters refused", "a1b", "1...", 0},
                    {"last field stays", "10.0.0.255", "10.0.0.255", 3},
                    {"full address", "192168001001", "192.168.001.001", 3},
                    {"typed over after a jump", "19", "19...", 0},
                    // Backspace (\b): in an empty field it goes back without deleting, else it deletes.
                    {"backspace in empty field", "12.\b", "12...", 0},
                    {"backspace deletes and stays", "12.3\b", "12...", 1},
                    {"backspace in first field", "\b", "...", 0}};
        for (const auto& r : rows)
            QTest::newRow(r.tag) << QString(r.keys) << QString(r.text) << r.focus;
    }

    void typing() {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(int, focus);
        QSignalSpy edited(m_edit.get(), &MyIPLineEdit::textEdited);
        for (const QChar c : keys) { // each key to the field that has the focus then
            if (c == QLatin1Char('\b'))
                QTest::keyClick(m_edit->focusWidget(), Qt::Key_Backspace);
            else
                QTest::keyClicks(m_edit->focusWidget(), QString(c));
        }
        QCOMPARE(m_edit->text(), text);
        QCOMPARE(focused(), focus);
        if (text != QLatin1String("..."))
            QCOMPARE(edited.constLast().first().toString(), text);
    }

    void setText_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("text");
        QTest::newRow("untouched") << QString() << "...";
        for (const char* valid : {"192.168.1.10", "0.0.255.255", "01.2.3.4"})
            QTest::newRow(valid) << valid << valid;
        for (const char* refused :
             {"192.168.1.256", "192.168.1", "1.2.3.4.5", "a.b.c.d", " 1.2.3.4", "1.2.3.4."})
            QTest::newRow(refused) << refused << "...";
    }

    void setText() {
        QFETCH(QString, address);
        QFETCH(QString, text);
        m_edit->setText(QStringLiteral("9.9.9.9")); // a refused address must clear what was there
        QSignalSpy changed(m_edit.get(), &MyIPLineEdit::textChanged);
        m_edit->setText(address);
        QCOMPARE(m_edit->text(), text);
        if (!changed.isEmpty())
            QCOMPARE(changed.constLast().first().toString(), text);
    }

    void audioTypeCodes() {
        const QList<QPair<QString, int>> cases = {{"PCM", 1},  {"G711", 2}, {"G726", 3},  {"G729", 4},
                                                  {"g711", 1}, {"", 1},     {"G711 ", 1}, {"AAC", 1}};
        for (const auto& c : cases)
            QCOMPARE(camera(QStringLiteral("A"), c.first)->audioType, c.second);
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
        QCOMPARE(int(std::count_if(bytes, bytes + sizeof r, [](unsigned char b) { return b != 0; })),
                 4 + 2 + 4 + 4 + 3 + 3);

        // Texts that exactly fill their field carry no terminator and still read back whole.
        const auto fill = [](char c, int n) { return QString(n, QLatin1Char(c)); };
        VeCameraModel full(fill('d', 32), fill('a', 256), fill('f', 16), fill('t', 16), 0, 0, fill('p', 64),
                           fill('u', 64));
        full.toDeviceRecord(&r);
        std::unique_ptr<VeCameraModel> back(VeCameraModel::fromDeviceRecord(r));
        auto texts = [](const VeCameraModel& m) {
            return QStringList{m.deviceId, m.alias, m.devFlag, m.audioTypeText, m.devAccess, m.userAccess};
        };
        QCOMPARE(texts(*back), texts(full)); // a character cut at a field's end: the settings test
    }

    void treeRowsFollowTheCameraState() {
        // Without the service nothing is online (and nothing crashes).
        auto first = camera(QStringLiteral("LAN1"));
        TvDeviceTreeView view;
        view.setDeviceList({first.get()});
        const QImage offline = iconImage(QIcon(QStringLiteral(":/images/user_offline.bmp")));
        const QImage online = iconImage(QIcon(QStringLiteral(":/images/user_online.bmp")));
        const QImage playing = iconImage(QIcon(QStringLiteral(":/images/user_select.bmp")));
        QVERIFY(!offline.isNull() && offline != online && online != playing);
        QCOMPARE(iconImage(view.itemModel()->index(0, 0).data(Qt::DecorationRole)), offline);

        FakeQuery query;
        query.lan = {"LAN1", "LAN2", "ONV1", "ONV2", "ONV3"};
        query.wan = {"WAN"};
        TvDeviceQuery::install(&query);
        // A stalled playing camera shows its real state, a stalled idle one ignores the mark; a standard
        // camera shows its flag's name and kind until it has an alias; a null record is skipped.
        const struct {
            const char *id, *alias, *flag;
            bool playing, stalled;
            const QImage* icon;
            QString text;
        } rows[] = {{"OFF", "Off", "IPC", true, false, &offline, "Off"},
                    {"LAN1", "Porch", "IPC", true, false, &playing, "Porch"},
                    {"LAN2", "Porch", "IPC", true, true, &offline, QString::fromUtf8("Porch（正在重连）")},
                    {"WAN", "WAN", "IPC", false, true, &online, "WAN"},
                    {"ONV1", "ONV1", "ONVIF Gate", false, false, &online, "Gate (ONVIF)"},
                    {"ONV2", "Yard", "ONVIF Gate", false, false, &online, "Yard (ONVIF)"},
                    {"ONV3", "ONV3", "ONVIF", false, false, &online, "ONV3 (ONVIF)"}};
        std::vector<std::unique_ptr<VeCameraModel>> cameras;
        QList<VeCameraModel*> list{nullptr};
        QSet<QString> stalled;
        for (const auto& r : rows) {
            cameras.push_back(camera(QLatin1String(r.id)));
            cameras.back()->alias = QLatin1String(r.alias);
            cameras.back()->devFlag = QLatin1String(r.flag);
            cameras.back()->playing = r.playing;
            list << cameras.back().get();
            if (r.stalled)
                stalled << QLatin1String(r.id);
        }
        view.setDeviceList(list, stalled);
        QStandardItemModel* model = view.itemModel();
        QCOMPARE(model->rowCount(), int(cameras.size()));
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, 0);
            QCOMPARE(index.data(TvDeviceTreeView::CameraRole).value<VeCameraModel*>(),
                     cameras[size_t(row)].get());
            QCOMPARE(cameras[size_t(row)]->modelIndex, index);
            QCOMPARE(index.data().toString(), rows[row].text);
            QVERIFY2(iconImage(index.data(Qt::DecorationRole)) == *rows[row].icon,
                     qPrintable(rows[row].text));
        }
        // Rebuilding replaces the rows and re-points every record's index.
        view.setDeviceList({cameras.back().get()});
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(cameras.back()->modelIndex.row(), 0);
    }
};

QTEST_MAIN(TestDeviceModel)
#include "test_devicemodel.moc"

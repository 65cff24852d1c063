#pragma once

// What the device dialogs' end-to-end tests share: the dialogs in English against the simulator's cameras
// through the real SDK, message boxes answered as a user answers them, widgets found by name.
#include "../liveview/LogLines.h"
#include "../liveview/UnansweredBoxes.h"
#include "NxDataCenter.h"
#include "SimProcess.h"
#include "TvGlobal.h"
#include "VeDevSettingDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <memory>

inline QString tx(const char* context, const char* source) {
    return QCoreApplication::translate(context, source);
}

template <class T = QWidget> T* child(QWidget* dialog, const QString& name) {
    T* w = dialog->findChild<T*>(name);
    if (!w)
        qFatal("no widget %s", qPrintable(name));
    return w;
}

inline void setText(QWidget* dialog, const char* name, const QString& text) {
    child<QLineEdit>(dialog, QLatin1String(name))->setText(text);
}

// Screenshots only when KVAB_SHOT_DIR names a folder.
inline void shoot(QWidget* dialog, const QString& name) {
    const QString dir = qEnvironmentVariable("KVAB_SHOT_DIR");
    if (dir.isEmpty())
        return;
    dialog->grab(); // the title bar takes the dialog's width when it is first painted
    QCoreApplication::processEvents();
    dialog->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Answers every message box while it lives (OK, or Cancel for a question when `confirm` is off) and keeps
// the texts; closes a settings dialog opened modally by the device panel, keeping the name of its page.
struct Boxes {
    Boxes() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                texts << box->text();
                QAbstractButton* cancel = box->button(QMessageBox::Cancel);
                (cancel && !confirm ? cancel : box->button(QMessageBox::Ok))->click();
            } else if (auto* dialog = qobject_cast<VeDevSettingDialog*>(modal)) {
                texts << dialog->findChild<QStackedWidget*>()->currentWidget()->objectName();
                dialog->reject();
            }
        });
        timer.start(10);
    }
    QStringList texts;
    bool confirm = true;
    QTimer timer;
};

class DeviceDialogFixture {
protected:
    // The log caught, the English catalogue installed, the simulator started with `args` (before the
    // service, which connects to it on its first use).
    bool start(const QStringList& args) {
        LogLines::install();
        UnansweredBoxes::watch();
        if (!m_english.load(TvGlobal::translatorPathFor(1)))
            return false;
        QApplication::installTranslator(&m_english);
        m_boxes = std::make_unique<Boxes>();
        return m_sim.start(args);
    }
    // The writes that reached the camera so far.
    int writes(const char* id) { return m_sim.control(QStringLiteral("writes %1").arg(id)).mid(3).toInt(); }

    SimProcess m_sim;
    NxDataCenter* m_data = nullptr;
    QTranslator m_english;
    std::unique_ptr<Boxes> m_boxes;
};

#pragma once

// Shared pieces of the application's GUI tests.
#include "../liveview/UnansweredBoxes.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <functional>

// What a popup showed: a menu's items as "text+" (enabled) or "text-", separators left out, or a
// message box's text.
struct Popup {
    QStringList items;
    QString boxText;
};

// Runs `open`, which blocks in a menu's or a message box's exec(), and answers the popup as a user does
// meanwhile: a box gets its `answer` button clicked; a menu is read, closed, and its action `choose`
// triggered, chosen by its text or by its index in QMenu::actions() (nothing chosen: the menu is only
// closed).
inline Popup answerPopup(const std::function<void()>& open, const QVariant& choose = QVariant(),
                         QMessageBox::StandardButton answer = QMessageBox::Ok) {
    Popup popup;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            popup.boxText = box->text();
            box->button(answer)->click();
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* menu = qobject_cast<QMenu*>(w);
            if (!menu || !menu->isVisible())
                continue;
            poll.stop();
            QAction* chosen = nullptr;
            const QList<QAction*> actions = menu->actions();
            for (int i = 0; i < actions.size(); ++i) {
                QAction* a = actions[i];
                const bool byText = choose.type() == QVariant::String && a->text() == choose.toString();
                if (byText || (choose.type() == QVariant::Int && choose.toInt() == i))
                    chosen = a;
                if (!a->isSeparator())
                    popup.items << a->text() + (a->isEnabled() ? '+' : '-');
            }
            menu->close();
            if (chosen)
                chosen->trigger();
            return;
        }
    });
    poll.start(10);
    open();
    return popup;
}

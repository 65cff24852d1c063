#include "TvMainLayout.h"

#include "ui_MainWindow.h"

void TvMainLayout::apply(Ui::MainWindow* ui, const QSize& size) {
    const int w = size.width();
    const int h = size.height();

    QRect top = ui->widget_toptool->geometry();
    top.setWidth(w);
    ui->widget_toptool->setGeometry(top);
    ui->label_toop_bg->setGeometry(0, 0, w, top.height());

    const int bottomHeight = ui->widget_bottomtol->height();
    ui->widget_bottomtol->setGeometry(0, h - bottomHeight, w, bottomHeight);

    const int rightWidth = ui->widget_righttool->width();
    const int rightTop = top.bottom() + 1;
    const int rightHeight = ui->widget_bottomtol->y() - rightTop;
    ui->widget_righttool->setGeometry(w - rightWidth, rightTop, rightWidth, qMax(0, rightHeight));

    QWidget* toolbar = ui->widget_righttool_bottom;
    const int toolbarTop = ui->widget_righttool->height() - toolbar->height();
    toolbar->move(0, toolbarTop);
    ui->widget_righttool_top->setGeometry(0, 0, rightWidth, qMax(0, toolbarTop));
    ui->treeView_lan->setGeometry(QRect(QPoint(0, 0), ui->widget_righttool_top->size()));

    if (!ui->widget_displayMan->isWindow())
        ui->widget_displayMan->setGeometry(displayArea(ui));

    const int statusWidth = ui->widget_bottomtol->width();
    ui->widget_snapTip->setGeometry(QRect(QPoint(statusWidth - 229, 0), QPoint(statusWidth, 29)));
    ui->widget_snapTip->fitToText();

    QPushButton* add = ui->pushBtn_addDev;
    add->move(ui->widget_toptool->width() - add->width(), 0);
}

QRect TvMainLayout::displayArea(const Ui::MainWindow* ui) {
    const QRect top = ui->widget_toptool->geometry();
    return QRect(QPoint(0, top.bottom() + 1),
                 QPoint(ui->widget_righttool->x() - 1, ui->widget_bottomtol->y() - 1));
}

#pragma once

#include "VeBasicDialog.h"

#include <QStringList>

#include <memory>

namespace Ui {
class VeAppSettingDialog;
}

// The client's own settings: snapshot and recording folders, cloud server, language, exit question,
// sub streams in a larger grid. Language, exit question and streams are stored at once; the rest only by OK.
class VeAppSettingDialog : public VeBasicDialog {
    Q_OBJECT
public:
    explicit VeAppSettingDialog(QWidget* parent = nullptr);
    ~VeAppSettingDialog() override;

private slots:
    void on_pushBtn_snap_select_clicked();
    void on_pushBtn_snap_open_clicked();
    void on_lineEdit_rec_select_clicked();
    void on_lineEdit_rec_open_clicked();
    void on_pushBtn_ok_clicked();
    void on_pushBtn_cancel_clicked();
    void on_checkBox_exit_confirm_clicked(bool checked);
    void on_checkBox_adaptive_streams_clicked(bool checked);
    void on_comboBox_language_currentIndexChanged(int index);

private:
    void fill();
    void chooseFolder(class QLineEdit* edit);
    static void openFolder(const QString& folder);

    std::unique_ptr<Ui::VeAppSettingDialog> ui;
    QStringList m_serverAddrs;
    QStringList m_serverTexts;
    bool m_loading = false;
};

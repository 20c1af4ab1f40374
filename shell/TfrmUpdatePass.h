#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// Changes the program password that the login checks.
class TfrmUpdatePass : public QWidget {
    Q_OBJECT
public:
    explicit TfrmUpdatePass(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* LabPwd;
    QLineEdit* edtOldPass;
    QLabel* Label1;
    QLineEdit* edtNewPass;
    QLabel* Label2;
    QLineEdit* edtSecPass;
    QPushButton* btnOK;
    QPushButton* BitBtnCancel;

    // True when the new password was stored; the clerk is told either way.
    bool ChangePassword();
    void btnOKClick();
    void BitBtnCancelClick();
    bool edtOldPassKeyDown(int key);
    bool edtNewPassKeyDown(int key);
    bool edtSecPassKeyDown(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_panel;
};

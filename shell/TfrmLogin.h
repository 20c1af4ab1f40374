#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The login of every start: only the stored six-character password lets the program go on.
class TfrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* Label1;
    QLabel* LabPwd;
    QLineEdit* EdPwd;
    QLabel* Label2;
    QPushButton* BitBtnOK;
    QPushButton* BitBtnCancel;

    void BitBtnOKClick();
    void BitBtnCancelClick();
    bool EdPwdKeyDown(int key);  // true when the key was used

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();

    int LoginOK = 0;
};

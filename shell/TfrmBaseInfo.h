#pragma once
#include <QVariant>
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The company record of this invoicing point (the row of baseinfo with the lowest id). The
// identifying fields can be typed only while the table is empty.
class TfrmBaseInfo : public QWidget {
    Q_OBJECT
public:
    explicit TfrmBaseInfo(QWidget* parent = nullptr);

    QFrame* Panel3;
    QLabel* StaticText1;
    QLineEdit* edtName;
    QLineEdit* edtAdd;
    QLineEdit* edtTel;
    QLineEdit* edtTaxID;
    QLineEdit* edtBank;
    QLineEdit* edtAcount;
    QLineEdit* edtMKMan;
    QLineEdit* edtManageTaxID;
    QLineEdit* edtKPD;
    QComboBox* cmbFlag;
    QFrame* Panel2;
    QPushButton* btnSave;
    QPushButton* btnClose;

    void OpenBaseInfo();
    bool ValidateBaseInfo();
    void btnSaveClick();
    void btnCloseClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void FormResize();
    void StoreRecord();

    QVariant m_id;  // the edited row; Null while the table has none
};

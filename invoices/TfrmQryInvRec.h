#pragma once
#include <QWidget>

class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class TListModel;

// "查询发票库存信息": the rolls of every point received in a range of days, with their current
// number and copies left. Changes nothing.
class TfrmQryInvRec : public QWidget {
    Q_OBJECT
public:
    explicit TfrmQryInvRec(QWidget* parent = nullptr);
    ~TfrmQryInvRec() override;

    QDateEdit* dtpStart;
    QDateEdit* dtpEnd;
    QPushButton* BitBtn1;  // "查询"
    QPushButton* BitBtn2;  // "关闭"
    QTableView* dbgSale;
    QLabel* Panel3;
    TListModel* dsInv = nullptr;

    void FormShow();
    void InitForm();
    void BitBtn1Click();
    void QueryStock();
    void BitBtn2Click();
    void FormClose();
    void FormDestroy();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_shown = false;
};

#pragma once
#include "ListWindow.h"

class QPushButton;

// "查询发票库存信息": the rolls of every point received in a range of days, with their current
// number and copies left. Changes nothing.
class TfrmQryInvRec : public TListWindow {
    Q_OBJECT
public:
    explicit TfrmQryInvRec(QWidget* parent = nullptr);

    QPushButton* BitBtn1;  // "查询"
    QPushButton* BitBtn2;  // "关闭"
    TListModel* dsInv = nullptr;

    void FormShow() override;
    void InitForm();
    void BitBtn1Click();
    void QueryStock();
    void BitBtn2Click();
};

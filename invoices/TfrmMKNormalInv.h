#pragma once
#include "TIssueWindow.h"

// "单车销售发票开具": one invoice per car, every field typed anew.
class TfrmMKNormalInv : public TIssueWindow {
    Q_OBJECT
public:
    explicit TfrmMKNormalInv(QWidget* parent = nullptr);
};

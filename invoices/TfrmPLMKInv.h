#pragma once
#include "TIssueWindow.h"

// "批量销售发票开具": a run of invoices for the cars of one sale; buyer, car type, model,
// price, contract, charges and payee are kept from car to car.
class TfrmPLMKInv : public TIssueWindow {
    Q_OBJECT
public:
    explicit TfrmPLMKInv(QWidget* parent = nullptr);
};

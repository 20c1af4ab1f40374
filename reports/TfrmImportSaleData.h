#pragma once
#include "TImportListWindow.h"

// "销售发票清单导入": a branch's sales list appended to the invoices.
class TfrmImportSaleData : public TImportListWindow {
    Q_OBJECT
public:
    explicit TfrmImportSaleData(QWidget* parent = nullptr);

    void CreateQuery();
    void LoadFile() override;
    void SaveSales();

protected:
    void SaveList() override { SaveSales(); }
};

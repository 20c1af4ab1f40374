#pragma once
#include "TExportListWindow.h"

// "销售发票清单导出": this point's invoices of the previous month as the sales list.
class TfrmExportSaleData : public TExportListWindow {
    Q_OBJECT
public:
    explicit TfrmExportSaleData(QWidget* parent = nullptr);

    void CreateQuery();
    void QuerySales();
    void ExportToFile() override;

protected:
    void btnQryClick() override { QuerySales(); }
    void FormShow() override;
    QString ClosingLine() const override;
};

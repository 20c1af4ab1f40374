#pragma once
#include "TExportListWindow.h"

// "发票领用库存导出": the rolls this point received in the previous month as the stock list.
class TfrmExportInvData : public TExportListWindow {
    Q_OBJECT
public:
    explicit TfrmExportInvData(QWidget* parent = nullptr);

    void CreateQuery();
    void QueryStock();
    void ExportToFile() override;

protected:
    void btnQryClick() override { QueryStock(); }
    void FormShow() override;
    QString ClosingLine() const override;
};

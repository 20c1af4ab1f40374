#pragma once
#include "ReportWindow.h"

// "生成《机动车销售统一发票清单》": makes last month's invoice list from its template into the
// report folder, shows it and prints it.
class TfrmMKSaleReport : public TReportWindow {
    Q_OBJECT
public:
    explicit TfrmMKSaleReport(QWidget* parent = nullptr);

    // Month and file are fixed when the window is first shown and stay while it is open.
    void FormShow() override;
    void PrepareReportFile();
    void btnMakeRepClick() override;
    // True when the list was made; a failure is shown and logged here.
    bool FillSaleListSheet();

private:
    bool m_shown = false;
};

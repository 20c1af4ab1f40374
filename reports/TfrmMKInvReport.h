#pragma once
#include "ReportWindow.h"

// "生成《机动车销售统一发票领用存月报表》": makes last month's receipt-use-stock statement from
// its template into the report folder, storing each range's closing stock as the opening
// stock of this month; shows it and prints it.
class TfrmMKInvReport : public TReportWindow {
    Q_OBJECT
public:
    explicit TfrmMKInvReport(QWidget* parent = nullptr);

    void FormShow() override;
    void PrepareReportFile();
    void btnMakeRepClick() override;
    // True when the statement was made and its closing stock stored; a failure changes
    // neither and is shown and logged here.
    bool FillStockSheet();
};

#pragma once
#include "ListWindow.h"

#include <vector>

struct TStatement;
class QComboBox;
class QLineEdit;
class QPushButton;

// "开票记录查询": the invoice rows of every point for a range of days, in one state or all,
// coloured by state, with columns as wide as the widest text seen. Changes nothing.
class TfrmQrySale : public TListWindow {
    Q_OBJECT
public:
    explicit TfrmQrySale(QWidget* parent = nullptr);

    QLineEdit* edtCJHM;
    QLineEdit* edtFPHM;
    QComboBox* cmbZT;  // the item index is the state code; "全部" filters nothing
    QPushButton* btnQry;
    QPushButton* btnClose;
    TListModel* dsSale = nullptr;
    // The widest cell text measured so far in each grid column; only grows.
    std::vector<int> ColWidths;

    void FormShow() override;
    void InitForm();
    void btnQryClick();
    void QuerySales();
    std::optional<TRowColours> dbgSaleDrawColumnCell(const QString& fpzt) const;
    void dbgSaleDblClick();
    void btnCloseClick();

private:
    // Widens ColWidths to the widest text of the rows listed.
    void MeasureRows();
    void ApplyColumnWidths();
};

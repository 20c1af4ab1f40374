#pragma once
#include "ListWindow.h"

class QLineEdit;
class QPushButton;

// "已开具发票管理": this point's valid invoices of a range of days, each shown in detail on a
// double click and voided, while less than about a month old, on "作废".
class TfrmYKJFPGL : public TListWindow {
    Q_OBJECT
public:
    explicit TfrmYKJFPGL(QWidget* parent = nullptr);

    QLineEdit* edtFPHM;
    QLineEdit* edtCJHM;
    QPushButton* btnClear;
    QPushButton* btnQry;
    QPushButton* btnBlank;
    QPushButton* btnClose;
    TListModel* dsSale = nullptr;  // the window's own query with the grid's columns
    // A list shows its first rows at once and reads the rest in blocks while idle.
    static constexpr int kFirstRows = 1000;
    static constexpr int kRowsPerBlock = 5000;

    void FormCreate();
    void FormShow() override;
    void btnClearClick();
    void ResetQuery();
    void btnQryClick();
    void QueryInvoices();
    void btnBlankClick();
    // Voids one invoice: the rows of this number, code, frame number (Null matches Null) and
    // issue date-time. The stock is not touched: the number stays used.
    void VoidInvoice(const QString& fphm, const QString& fpdm, const QVariant& cjhm, const QString& kprq);
    std::optional<TRowColours> dbgSaleDrawColumnCell(const QString& fpzt) const;
    void dbgSaleDblClick();
    void btnCloseClick();
};

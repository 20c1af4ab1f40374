#pragma once
#include "ListGrid.h"

#include <QWidget>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// "已开具发票管理": this point's valid invoices of a range of days, each shown in detail on a
// double click and voided, while less than about a month old, on "作废".
class TfrmYKJFPGL : public QWidget {
    Q_OBJECT
public:
    explicit TfrmYKJFPGL(QWidget* parent = nullptr);
    ~TfrmYKJFPGL() override;

    QDateEdit* dtpStart;
    QDateEdit* dtpEnd;
    QLineEdit* edtFPHM;
    QLineEdit* edtCJHM;
    QPushButton* btnClear;
    QPushButton* btnQry;
    QPushButton* btnBlank;
    QPushButton* btnClose;
    QTableView* dbgSale;
    QLabel* Panel3;
    TListModel* dsSale = nullptr;  // the window's own query with the grid's columns

    void FormCreate();
    void FormDestroy();
    void FormShow();
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
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_shown = false;
};

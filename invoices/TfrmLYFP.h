#pragma once
#include <QWidget>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TEnterChain;

// "领用发票": books the rolls of blank invoices received from the tax office into stock.
// The clerk adds one range at a time to the grid and stores the grid in one transaction.
class TfrmLYFP : public QWidget {
    Q_OBJECT
public:
    explicit TfrmLYFP(QWidget* parent = nullptr);

    // Grid columns.
    enum { colFPDM, colFPHMQ, colFPHMZ, colLYR, colLYRQ, colLYFS, colCount };

    QWidget* pnlMain;
    QLineEdit* edtFPDM;
    QDateEdit* dtpLYRQ;
    QLineEdit* edtFPHMQ;
    QLineEdit* edtFPHMZ;
    QLineEdit* edtLYR;
    QLineEdit* edtLYFS;
    // Last period's closing stock: built, but nothing shows it.
    QCheckBox* cbKC;
    QLineEdit* edtQZHM;
    QLabel* lblFS;
    QLineEdit* edtFS;
    QPushButton* btnClear;
    QPushButton* btnAdd;
    QPushButton* btnSave;
    QPushButton* btnClose;
    // The ranges to store; the header is the title row, so data row 1 is table row 0.
    QTableWidget* sgdKC;

    QString PrevMonth;  // "yyyy-MM", the month key of the last-period row

    void FormShow();
    void InitForm();
    void edtLYFSKeyUp();
    void btnAddClick();
    void btnClearClick();
    void btnSaveClick();
    void btnCloseClick();
    void cbKCClick();
    void UpdateLastStockControls();
    bool CheckInput();
    bool RangeExists(const QString& Code, const QString& First, const QString& Last);
    void ClearGrid();
    void SaveStock();
    void SaveLastClosingStock();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void AddRange();
    bool GridRangeExists(const QString& code, const QString& first, const QString& last) const;
    QString Cell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);

    TEnterChain* m_enterChain = nullptr;
    bool m_shown = false;
};

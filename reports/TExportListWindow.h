#pragma once
#include "exchange/RecordsetXml.h"

#include <QWidget>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
struct TGridColumns;
struct TListKind;

// What the sales and the stock export windows share: the month's rows of this invoicing point
// in a grid, written to the exchange file of a chosen folder.
class TExportListWindow : public QWidget {
    Q_OBJECT
public:
    QWidget* Panel1;
    QLabel* StaticText1;
    QDateEdit* dtpDate;
    QPushButton* SpeedButton1;
    QLineEdit* edtPath;
    QPushButton* btnQry;
    QPushButton* btnExport;
    QPushButton* btnClose;
    QWidget* Panel2;
    QTableView* dbgSale;
    QLabel* Panel3;

    QString ReportMonth;  // "yyyy-MM", the previous calendar month

    // The rows the grid shows and the export writes.
    const TRecordset& Rows() const { return m_rows; }

    void SpeedButton1Click();
    void btnExportClick();
    void btnCloseClick();

protected:
    TExportListWindow(const TListKind& kind, const TGridColumns& columns, QWidget* parent);

    // An empty record set and the month; the grid shows the record set.
    void CreateList();
    // dtpDate := the first day of ReportMonth.
    void ShowMonth();
    // The month's rows of this point; with logStatement the statement goes to the log when
    // there are rows.
    void QueryList(bool logStatement);
    // Writes the rows to edtPath and says how it went.
    void ExportList();

    virtual void btnQryClick() = 0;
    virtual void ExportToFile() = 0;
    virtual void FormShow() = 0;
    virtual QString ClosingLine() const = 0;

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ClearList();
    // False, after saying so, when this point's name cannot be part of the file's name.
    bool PointNameFits();

    const TListKind& m_kind;
    TRecordset m_rows;
    TRecordsetModel* m_model;
    bool m_shown = false;
};

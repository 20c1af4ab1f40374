#pragma once
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class TSheetView;

// "生成《机动车销售统一发票清单》": makes last month's invoice list from its template into the
// report folder, shows it and prints it.
class TfrmMKSaleReport : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMKSaleReport(QWidget* parent = nullptr);

    QWidget* Panel1;
    QLabel* StaticText2;
    QLineEdit* edtPath;
    QLabel* StaticText1;
    QLineEdit* edtRepName;
    QPushButton* btnMakeRep;
    QPushButton* btnPrt;
    QPushButton* BitBtn2;
    TSheetView* OleContainer1;

    QString ReportMonth;  // "yyyy-MM"
    QString ReportFile;

    void FormShow();
    void PrepareReportFile();
    void btnMakeRepClick();
    // True when the list was made; a failure is shown and logged here.
    bool FillSaleListSheet();
    void btnPrtClick();
    void BitBtn2Click();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_shown = false;
};

#pragma once
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class TSheetView;

// What the windows share that make a month's report from its template into the report folder:
// the folder and the file name over "生成报表", "打印" and "关闭", the report shown below, the
// making reported in boxes and the log, printing, and the closing line.
class TReportWindow : public QWidget {
    Q_OBJECT
public:
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

    // Run on every show.
    virtual void FormShow() = 0;
    virtual void btnMakeRepClick() = 0;
    void btnPrtClick();
    void BitBtn2Click();
    void FormClose();

protected:
    struct TKind {
        QString caption;
        QString name;  // objectName
        QSize size;
        QString closeLine;
    };
    TReportWindow(const TKind& kind, QWidget* parent);

    // edtPath the report folder, ReportMonth the month before the clock's, edtRepName the
    // file name of that month, ReportFile both; a report of that month already made is shown.
    void PrepareReport(const std::function<QString(const QString& month)>& fileName);
    // Runs make, which writes ReportFile or raises: a failure is shown and logged as
    // "生成报表失败：" + reason, a success as "成功生成". Either way the view then shows what
    // is on disk. True when made.
    bool FillReport(const std::function<void()>& make);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QString m_closeLine;
};

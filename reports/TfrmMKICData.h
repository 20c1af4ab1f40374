#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class TDeclarationLines;

// "生成IC卡申报数据": writes the month's declaration file and shows it.
class TfrmMKICData : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMKICData(QWidget* parent = nullptr);

    QWidget* Panel1;
    QLabel* stSSQ;  // "申报所属期：" and the month declared
    QPushButton* btnPath;
    QLineEdit* edtFName;
    QPushButton* btnExport;
    QPushButton* btnClose;
    QListView* WebBrowser1;  // the written file, decoded, a line an element, in place of a browser

    QString ReportMonth;     // "yyyy-MM", the month declared
    QString ReportFileName;  // without folder

    void FormShow();
    void PrepareFileName();
    void btnPathClick();
    void btnExportClick();
    // Writes the file at edtFName and says how it went; true when it is written.
    bool WriteDeclarationXml();
    void btnCloseClick();
    // Shows the file at path, or nothing when it cannot be read.
    void ShowFile(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_shown = false;
    TDeclarationLines* m_lines;
};

#pragma once
#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// "生成软盘申报数据": writes last month's invoice list, without borders, into a folder the clerk
// picks, as the data handed in for the monthly declaration. It closes only after "取消" or a
// successful run.
class TfrmRPSBSJ : public QWidget {
    Q_OBJECT
public:
    explicit TfrmRPSBSJ(QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLineEdit* edtPath;
    QToolButton* sbtnSelDir;
    QLabel* Label2;
    QLabel* edtName;  // the file name, wrapped so that it shows whole
    QLabel* Panel2;
    QWidget* Panel1;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    QString ReportMonth;  // "yyyy-MM"
    QString ReportFile;
    bool CloseAllowed = false;

    void FormShow();
    void PrepareReportFile();
    void sbtnSelDirClick();
    void SelectDiskPath();
    void btnOKClick();
    void MakeDiskData();
    void btnCancelClick();
    // False while the window may not close.
    bool FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_shown = false;
};

// The folder the declaration data went to last ("[disk] path" of Corvane.ini), else the home
// folder; it ends in "/".
QString DiskDataFolder();

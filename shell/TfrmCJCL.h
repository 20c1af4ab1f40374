#pragma once
#include <QWidget>

class QFrame;
class QPushButton;
class QTabWidget;
class TDBGrid;
class TGridTable;

// The two reference tables of the invoice entry: car models with maker and origin (SCCJ) and
// car types (CLLX). The buttons act on the table of the page shown.
class TfrmCJCL : public QWidget {
    Q_OBJECT
public:
    explicit TfrmCJCL(QWidget* parent = nullptr);

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    TDBGrid* DBGrid1;
    TDBGrid* DBGrid2;
    TGridTable* adotbSCCJ;
    TGridTable* adotbCLLX;
    QFrame* Panel1;
    QPushButton* BitBtn9;   // 第一条
    QPushButton* BitBtn10;  // 上一条
    QPushButton* BitBtn11;  // 下一条
    QPushButton* BitBtn12;  // 末一条
    QPushButton* BitBtn13;  // 添加
    QPushButton* BitBtn14;  // 删除
    QPushButton* BitBtn15;  // 修改
    QPushButton* BitBtn16;  // 保存
    QPushButton* BitBtn1;   // 关闭

    // The table of the page shown.
    TGridTable* ActiveTable() const;

    void OpenTables();
    void BitBtn9Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BitBtn1Click();

    void adotbSCCJBeforeInsert();
    void adotbSCCJAfterInsert();
    bool adotbSCCJBeforePost();
    void adotbSCCJAfterPost();
    bool adotbSCCJBeforeDelete();
    bool adotbCLLXBeforePost();
    void adotbCLLXAfterPost();
    bool adotbCLLXBeforeDelete();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormClose();

    QWidget* m_panel;
    QString LastSccj;
    QString LastCd;
};

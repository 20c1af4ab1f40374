// The declaration and exchange windows as the clerks of a branch and of the head invoicing
// point get them from the main window, each point with a program folder of its own.
#include "Screen.h"
#include "QtPrinters.h"
#include "MainWindowTest.h"
#include "ReportTestData.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"
#include "exchange/RecordsetXmlWriter.h"
#include "reports/ExchangeLists.h"
#include "reports/TfrmExportInvData.h"
#include "reports/TfrmExportSaleData.h"
#include "reports/TfrmImportInvData.h"
#include "reports/TfrmImportSaleData.h"
#include "reports/TExportListWindow.h"
#include "reports/TfrmMKICData.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {
// A well-formed list of another table: two columns, no row.
QByteArray TwoColumnList()
{
    return RecordsetBytes(TRecordset{{IntegerField(QStringLiteral("ID")), TextField(QStringLiteral("NAME"), 40)}, {}});
}

// What the declaration window shows, its lines one after another.
QString Shown(const QListView* view)
{
    QStringList lines;
    for (int i = 0; i < view->model()->rowCount(); ++i)
        lines << view->model()->index(i, 0).data().toString();
    return lines.join(u'\n');
}

const QString kFebruary = QStringLiteral("where substr(kprq,1,7)='2026-02' and kpdName='一店'");

int Count(const QString& sql) { return DataBase->Scalar(sql).toInt(); }

class ExchangeWindows : public TMainWindowTest {
protected:
    void SetUp() override
    {
        branch.Sql(CompanySql(QStringLiteral("否"), QStringLiteral("一店")));
        head.Sql(CompanySql(QStringLiteral("是"), QStringLiteral("总部")));
        const auto invoice = [](const QString& point, const char* day, const char* number, double total, const char* state) {
            QVariantList v = InvoiceValues(point, QStringLiteral("2026-%1 10:00:00").arg(QLatin1String(day)),
                                           QString::fromLatin1(number), total);
            v[33] = QString::fromLatin1(state);
            return v;
        };
        InsertInvoice(branch, invoice(QStringLiteral("一店"), "02-03", "00000001", 125000.5, "0"));
        InsertInvoice(branch, invoice(QStringLiteral("一店"), "02-04", "00000002", 0, "1"));
        InsertInvoice(branch, invoice(QStringLiteral("一店"), "02-05", "00000003", -12445, "2"));
        InsertInvoice(branch, invoice(QStringLiteral("一店"), "03-01", "00000004", 1, "0"));
        InsertInvoice(branch, invoice(QStringLiteral("二店"), "02-03", "00000005", 1, "0"));
        InsertInvoice(head, invoice(QStringLiteral("总部"), "02-15", "00000100", 100000, "0"));
        InsertInvoice(head, invoice(QStringLiteral("总部"), "02-16", "00000101", 0, "3"));
        InsertRoll(branch, QStringLiteral("一店"), QStringLiteral("2026-02-01 13:28:19"), QStringLiteral("00000001"),
                   QStringLiteral("00000004"), 6);
        InsertRoll(branch, QStringLiteral("一店"), QStringLiteral("2026-02-20 13:28:19"), QStringLiteral("00000011"),
                   QStringLiteral("00000011"), 10);
        InsertRoll(head, QStringLiteral("一店"), QStringLiteral("2026-02-01 13:28:19"), QStringLiteral("00000001"),
                   QStringLiteral("00000001"), 10);
    }
    // Each of these windows comes up maximised.
    template <class T>
    T* Maximised(QAction* action)
    {
        T* w = Through<T>(action);
        EXPECT_TRUE(w && w->parentWidget()->isMaximized());
        return w;
    }

    // Queries and writes a list into the exchange folder; returns the file.
    template <class T>
    QString Export(QAction* action)
    {
        T* w = Maximised<T>(action);
        if (!w)
            return {};
        w->btnQry->click();
        counted = w->Panel3->text();
        dialogs.AnswerPath(exchange.filePath(QStringLiteral("typed name.xml")));
        w->SpeedButton1->click();
        const QString path = w->edtPath->text();
        w->btnExport->click();
        w->btnClose->click();
        return path;
    }
    // Loads a list and saves it; returns the last box.
    template <class T>
    QString Import(QAction* action, const QString& file)
    {
        T* w = Maximised<T>(action);
        if (!w)
            return QStringLiteral("<no window>");
        dialogs.AnswerPath(file);
        w->SpeedButton1->click();
        w->btnImport->click();
        w->btnSave->click();
        const QString box = LastText();
        w->btnClose->click();
        return box;
    }

    QString counted;  // by the last export
    TTestProgramFolder& branch = folder;
    TTestProgramFolder head;
    QTemporaryDir exchange;  // what the lists travel on
};
}  // namespace

TEST_F(ExchangeWindows, ABranchExportsTheHeadImportsTwiceAndDeclaresBothPoints)
{
    OpenMain(branch);
    const QString saleFile = Export<TfrmExportSaleData>(main->exportSaleAct);
    EXPECT_EQ(saleFile, exchange.filePath(QStringLiteral("2026年02月一店销售清单.xml")));
    EXPECT_EQ(counted, QStringLiteral("  共查询到3条记录!"));
    EXPECT_EQ(LastText(), QStringLiteral("导出数据成功！！"));
    const QString stockFile = Export<TfrmExportInvData>(main->exportInvAct);
    EXPECT_EQ(stockFile, exchange.filePath(QStringLiteral("2026年02月一店库存清单.xml")));
    const std::vector<QStringList> branchSales = TableRows(QStringLiteral("SaleDetail"), kFebruary);
    const std::vector<QStringList> branchRolls = TableRows(QStringLiteral("fpkcxx"));
    const QStringList branchLog = branch.LogMessages();
    EXPECT_TRUE(
        branchLog.contains(QStringLiteral("select * from SaleDetail where kpdName = \"一店\" and  Left(kprq,7) = "
                                          "'2026-02' order by kprq,fpdm,fphm")));
    EXPECT_TRUE(branchLog.contains(QStringLiteral("导出") + saleFile + QStringLiteral("成功")));
    QFile::copy(saleFile, exchange.filePath(QStringLiteral("copy of 销售清单.xml")));

    OpenMain(head);
    EXPECT_EQ(Import<TfrmImportSaleData>(main->importSaleAct, saleFile), QStringLiteral("保存销售数据成功!"));
    EXPECT_FALSE(QFile::exists(saleFile));
    EXPECT_EQ(TableRows(QStringLiteral("SaleDetail"), kFebruary), branchSales);  // every column as the branch has it
    EXPECT_EQ(Import<TfrmImportSaleData>(main->importSaleAct, exchange.filePath(QStringLiteral("copy of 销售清单.xml"))),
              QStringLiteral("保存销售数据成功!\n已存在的发票3张，未重复保存。"));
    EXPECT_EQ(TableRows(QStringLiteral("SaleDetail"), kFebruary), branchSales);
    QFile::copy(stockFile, stockFile + QStringLiteral(".xml"));
    EXPECT_EQ(Import<TfrmImportInvData>(main->importInvAct, stockFile), QStringLiteral("保存库存数据成功!"));
    EXPECT_EQ(Import<TfrmImportInvData>(main->importInvAct, stockFile + QStringLiteral(".xml")),
              QStringLiteral("保存库存数据成功!"));
    EXPECT_EQ(TableRows(QStringLiteral("fpkcxx")), branchRolls);  // the stored roll taken over, the other added once
    const QStringList headLog = head.LogMessages();
    EXPECT_TRUE(headLog.contains(QStringLiteral("保存") + saleFile + QStringLiteral("成功")));
    EXPECT_TRUE(headLog.contains(QStringLiteral("跳过已存在的发票3张")));
    EXPECT_TRUE(headLog.contains(QStringLiteral("保存") + stockFile + QStringLiteral("成功!")));
    EXPECT_EQ(headLog.count(QStringLiteral("关闭导入数据")), 4);

    auto* declaration = Maximised<TfrmMKICData>(main->ImportICData);
    ASSERT_NE(declaration, nullptr);
    const QString path = head.Path() + QStringLiteral("SB_330100000000001_20260305_JDC_QYJDCXSFPB.xml");
    EXPECT_EQ(declaration->edtFName->text(), path);
    declaration->btnExport->click();
    EXPECT_EQ(LastText(), QStringLiteral("导出数据成功！"));
    const QString text = FromGbk(FileBytes(path)).value_or(QString());
    QStringList numbers;
    for (const QString& part : text.split(QStringLiteral("<JDC_QYJDCXSFPB_FPHM>")).mid(1))
        numbers << part.left(8);
    EXPECT_EQ(numbers, (QStringList{"00000001", "00000003", "00000100"}));  // valid invoices of both points in issue order
    EXPECT_TRUE(text.contains(QStringLiteral("<JDC_QYJDCXSFPB_JFHJJE_HJ> 212555.50</")));
    EXPECT_TRUE(
        Shown(declaration->WebBrowser1).contains(QStringLiteral("\n            <JDC_QYJDCXSFPB_XH>3</JDC_QYJDCXSFPB_XH>\n")));
    EXPECT_EQ(head.LogMessages().constLast(), QStringLiteral("生成") + path);
    EXPECT_EQ(dialogs.Unanswered(), 0);
}

TEST_F(ExchangeWindows, BadInputGetsItsMessageAndChangesNothing)
{
    OpenMain(branch);
    auto* stock = Maximised<TfrmExportInvData>(main->exportInvAct);
    ASSERT_NE(stock, nullptr);
    DataBase->Run(QStringLiteral("delete from fpkcxx"));
    const int mark = branch.LogMessages().size();
    stock->btnQry->click();  // an empty month
    EXPECT_EQ(stock->Panel3->text(), QStringLiteral("  共查询到0条记录!"));
    EXPECT_FALSE(stock->btnExport->isEnabled());
    EXPECT_TRUE(stock->btnQry->isEnabled());
    EXPECT_EQ(branch.LogMessages().size(), mark);
    stock->btnClose->click();
    auto* sales = Maximised<TfrmExportSaleData>(main->exportSaleAct);
    sales->btnQry->click();
    sales->btnExport->click();
    EXPECT_EQ(LastText(), QStringLiteral("请选择要导出的路径!"));
    sales->SpeedButton1->click();  // cancelled
    EXPECT_TRUE(sales->edtPath->text().isEmpty());
    sales->btnClose->click();

    OpenMain(head);
    auto* import = Maximised<TfrmImportSaleData>(main->importSaleAct);
    ASSERT_NE(import, nullptr);
    import->btnImport->click();
    EXPECT_EQ(LastText(), QStringLiteral("请选择要导入的文件！"));
    import->SpeedButton1->click();  // cancelled
    EXPECT_TRUE(import->edtPath->text().isEmpty());
    const QString misnamed = exchange.filePath(QStringLiteral("2026年02月一店库存清单.xml"));
    WriteBytes(misnamed, TwoColumnList());
    dialogs.AnswerPath(misnamed);
    import->SpeedButton1->click();
    import->btnImport->click();
    EXPECT_EQ(LastText(), QStringLiteral("请选择正确的销售清单文件!"));
    // A folder named for the sales list lets any file through the name test.
    QDir(exchange.path()).mkdir(QStringLiteral("销售清单"));
    const QString garbage = exchange.filePath(QStringLiteral("销售清单/list.xml"));
    WriteBytes(garbage, "<xml>not a record set</xml>");
    dialogs.AnswerPath(garbage);
    import->SpeedButton1->click();
    import->btnImport->click();
    EXPECT_EQ(LastText(), QStringLiteral("导入数据失败，请检查选择的文件是否正确！！\n不是记录集文件：缺少架构或数据部分"));
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Error);
    EXPECT_TRUE(import->btnImport->isEnabled());
    EXPECT_FALSE(import->btnSave->isEnabled());
    // Another table's columns are refused when the file is loaded, not only when it is stored.
    WriteBytes(garbage, TwoColumnList());
    import->btnImport->click();
    EXPECT_EQ(LastText(), QStringLiteral("导入数据失败，请检查选择的文件是否正确！！\n文件只有2列，应至少38列"));
    EXPECT_EQ(head.LogMessages().constLast(),
              QStringLiteral("导入") + garbage + QStringLiteral("失败,原因为:文件只有2列，应至少38列"));
    EXPECT_FALSE(import->btnSave->isEnabled());
    EXPECT_EQ(import->dbgSale->model()->rowCount(), 0);
    EXPECT_TRUE(QFile::exists(garbage));
    import->btnClose->click();

    // An empty list stores nothing, succeeds and takes the file away.
    const QString emptyList = exchange.filePath(QStringLiteral("empty库存清单.xml"));
    SaveRecordsetXmlFile(emptyList, QueryList(*DataBase, StockList(), QStringLiteral("无此开票点"), QStringLiteral("2026-02")));
    EXPECT_EQ(Import<TfrmImportInvData>(main->importInvAct, emptyList), QStringLiteral("保存库存数据成功!"));
    EXPECT_FALSE(QFile::exists(emptyList));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from fpkcxx")), 1);

    // The declaration window: a folder choice, then No to rewriting an existing file.
    auto* declaration = Maximised<TfrmMKICData>(main->ImportICData);
    const QString inProgramFolder = declaration->edtFName->text();
    declaration->btnPath->click();  // cancelled
    EXPECT_EQ(declaration->edtFName->text(), inProgramFolder);
    dialogs.AnswerPath(exchange.path() + u'/');
    declaration->btnPath->click();
    const QString path = exchange.filePath(QStringLiteral("SB_330100000000001_20260305_JDC_QYJDCXSFPB.xml"));
    EXPECT_EQ(declaration->edtFName->text(), path);
    WriteBytes(path, "old");
    const int marked = head.LogMessages().size();
    dialogs.Answer(mbNo);
    declaration->btnExport->click();
    EXPECT_EQ(LastText(), path + QStringLiteral("已经存在，是否重新生成？？"));
    EXPECT_EQ(FileBytes(path), "old");
    EXPECT_TRUE(Shown(declaration->WebBrowser1).isEmpty());
    EXPECT_EQ(head.LogMessages().size(), marked);
    dialogs.Answer(mbYes);
    declaration->btnExport->click();
    EXPECT_EQ(head.LogMessages().mid(marked),
              (QStringList{QStringLiteral("重新生成报表:") + path, QStringLiteral("生成") + path}));
    EXPECT_NE(FileBytes(path), "old");
    EXPECT_EQ(dialogs.Unanswered(), 3);  // the cancelled file and folder dialogs
}

TEST_F(ExchangeWindows, AFailureKeepsTheFileTheGridAndTheButtonsAndTheRetryStoresOnce)
{
    OpenMain(branch);
    DataBase->Run(QStringLiteral("update SaleDetail set ghdw=:bad where fphm='00000003'"),
                  {{QStringLiteral("bad"), QStringLiteral("某") + QChar(0) + QStringLiteral("公司")}});
    auto* sales = Maximised<TfrmExportSaleData>(main->exportSaleAct);
    EXPECT_EQ(sales->dtpDate->date(), QDate(2026, 2, 1));
    sales->btnQry->click();
    EXPECT_FALSE(sales->btnQry->isEnabled());
    EXPECT_EQ(sales->dbgSale->model()->index(0, 3).data().toString(), QStringLiteral("某'\"&<>贸易公司"));
    const QString path = exchange.filePath(QStringLiteral("2026年02月一店销售清单.xml"));
    WriteBytes(path, "the old list");
    dialogs.AnswerPath(path);
    sales->SpeedButton1->click();
    sales->btnExport->click();
    EXPECT_EQ(LastText(), QStringLiteral("导出数据失败！！"));
    EXPECT_EQ(branch.LogMessages().constLast(),
              QStringLiteral("导出") + path + QStringLiteral("失败,原因为:第3行ghdw列的值含有文件不能写入的字符"));
    EXPECT_EQ(FileBytes(path), "the old list");
    EXPECT_EQ(QDir(exchange.path()).entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
    EXPECT_TRUE(sales->btnExport->isEnabled());
    EXPECT_EQ(sales->edtPath->text(), path);
    EXPECT_EQ(sales->dbgSale->model()->rowCount(), 3);
    DataBase->Run(QStringLiteral("update SaleDetail set ghdw='某公司' where fphm='00000003'"));
    sales->btnClose->click();
    ASSERT_EQ(Export<TfrmExportSaleData>(main->exportSaleAct), path);

    OpenMain(head);
    // A value the file carries but the table cannot store, in the last row.
    QByteArray list = FileBytes(path);
    list.replace(
        "name='dj' rs:number='15' rs:nullable='true' rs:write='true'>\r\n\t\t\t<s:datatype dt:type='float' dt:maxLength='8'",
        "name='dj' rs:number='15' rs:nullable='true' rs:write='true'>\r\n\t\t\t<s:datatype dt:type='string' dt:maxLength='8'");
    list.replace(list.lastIndexOf("dj='0.10000000000000001'"), 24, "dj='0,1'");
    WriteBytes(path, list);
    auto* import = Maximised<TfrmImportSaleData>(main->importSaleAct);
    dialogs.AnswerPath(path);
    import->SpeedButton1->click();
    import->btnImport->click();
    import->btnSave->click();
    EXPECT_EQ(LastText(), QStringLiteral("保存销售数据失败!原因为:第3行dj列的值不能存入"));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from SaleDetail")), 2);
    list.replace("dj='0,1'", "dj='0.1'");
    WriteBytes(path, list);
    import->btnClose->click();
    import = Maximised<TfrmImportSaleData>(main->importSaleAct);
    dialogs.AnswerPath(path);
    import->SpeedButton1->click();
    import->btnImport->click();
    DataBase->SetBeforeCommitHook([] { throw EDatabaseError(QStringLiteral("disk full")); });
    import->btnSave->click();
    EXPECT_EQ(LastText(), QStringLiteral("保存销售数据失败!原因为:disk full"));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from SaleDetail")), 2);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(import->dbgSale->model()->rowCount(), 3);
    EXPECT_TRUE(import->btnSave->isEnabled());
    EXPECT_FALSE(import->btnImport->isEnabled());
    EXPECT_EQ(import->edtPath->text(), path);
    DataBase->SetBeforeCommitHook({});
    // The file cannot be removed after the retry stored it: the save still stands.
    QFile::remove(path);
    QDir().mkpath(path + QStringLiteral("/kept"));
    import->btnSave->click();
    EXPECT_EQ(LastText(), QStringLiteral("保存销售数据成功!"));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from SaleDetail")), 5);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from (select 1 from SaleDetail group by fpdm,fphm having count(*)>1)")), 0);
    EXPECT_EQ(head.LogMessages().constLast(), QStringLiteral("删除") + path + QStringLiteral("失败"));
    EXPECT_TRUE(import->edtPath->text().isEmpty());

    // A declaration that cannot be written keeps the file it would replace.
    auto* declaration = Maximised<TfrmMKICData>(main->ImportICData);
    const QString sb = declaration->edtFName->text();
    WriteBytes(sb, "last month's");
    const std::pair<const char*, const char*> faults[] = {
        {"update SaleDetail set jwjehj=NULL where fphm='00000100'", "发票 044001900111 00000100 的价费合计金额不是数值"},
        {"update SaleDetail set cpxh='SV한' where fphm='00000100'",
         "发票 044001900111 00000100 的车辆型号含有 GBK 没有的字符 한"},
        {"update SaleDetail set sccj='某汽车®制造厂' where fphm='00000003'",
         "发票 044001900111 00000003 的生产企业名称含有 GBK 没有的字符 ®"},
        {"update SaleDetail set cjhm='LSV\nAB2' where fphm='00000001'", "发票 044001900111 00000001 的车架号码含有控制字符"}};
    for (const auto& [fault, why] : faults) {
        DataBase->Run(QStringLiteral("update SaleDetail set jwjehj=1, cpxh='SV', sccj='某厂', cjhm='LSV'"));
        DataBase->Run(QString::fromUtf8(fault));
        dialogs.Answer(mbYes);
        declaration->btnExport->click();
        EXPECT_EQ(LastText(), QStringLiteral("导出数据失败！\n") + QString::fromUtf8(why)) << fault;
        EXPECT_EQ(FileBytes(sb), "last month's");
        EXPECT_EQ(head.LogMessages().constLast(), QStringLiteral("生成") + sb + QStringLiteral("失败"));
    }
    EXPECT_EQ(QDir(head.Path()).entryList(QDir::Files), QStringList{QFileInfo(sb).fileName()});
}

TEST_F(ExchangeWindows, AFilePickedAfterLoadingIsNotTheOneStoredAndTakenAway)
{
    OpenMain(branch);
    const QString saleFile = Export<TfrmExportSaleData>(main->exportSaleAct);
    OpenMain(head);
    auto* import = Maximised<TfrmImportSaleData>(main->importSaleAct);
    ASSERT_NE(import, nullptr);
    dialogs.AnswerPath(saleFile);
    import->SpeedButton1->click();
    import->btnImport->click();
    const QString picked = exchange.filePath(QStringLiteral("2026年02月二店销售清单.xml"));
    WriteBytes(picked, TwoColumnList());
    dialogs.AnswerPath(picked);
    import->SpeedButton1->click();  // the loaded rows stay in the grid
    import->btnSave->click();
    EXPECT_EQ(LastText(), QStringLiteral("保存销售数据成功!"));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from SaleDetail where kpdName='一店'")), 3);
    EXPECT_FALSE(QFile::exists(saleFile));
    EXPECT_EQ(FileBytes(picked), TwoColumnList());
    EXPECT_TRUE(head.LogMessages().contains(QStringLiteral("保存") + saleFile + QStringLiteral("成功")));
}

TEST_F(ExchangeWindows, TheDeclarationsFolderOutlastsMinimisingItsWindow)
{
    OpenMain(head);
    auto* declaration = Maximised<TfrmMKICData>(main->ImportICData);
    ASSERT_NE(declaration, nullptr);
    dialogs.AnswerPath(exchange.path() + u'/');
    declaration->btnPath->click();
    const QString chosen = declaration->edtFName->text();
    auto* frame = qobject_cast<QMdiSubWindow*>(declaration->parentWidget());
    frame->showMinimized();
    QApplication::processEvents();
    frame->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(declaration->edtFName->text(), chosen);
}

TEST_F(ExchangeWindows, AListTheWindowCannotTakeIsRefusedWhenLoadedAndSaysWhy)
{
    OpenMain(branch);
    const QString saleFile = Export<TfrmExportSaleData>(main->exportSaleAct);
    const QString stockFile = Export<TfrmExportInvData>(main->exportInvAct);
    OpenMain(head);
    const int invoices = Count(QStringLiteral("select count(*) from SaleDetail"));
    const int rolls = Count(QStringLiteral("select count(*) from fpkcxx"));
    // A load that fails keeps the window as it was and the file where it is.
    const auto refusedBy = [&](auto* window, const QString& file) {
        dialogs.AnswerPath(file);
        window->SpeedButton1->click();
        window->btnImport->click();
        EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Error);
        EXPECT_TRUE(window->btnImport->isEnabled());
        EXPECT_FALSE(window->btnSave->isEnabled());
        EXPECT_EQ(window->dbgSale->model()->rowCount(), 0);
        EXPECT_TRUE(QFile::exists(file));
        const QStringList lines = LastText().split(u'\n');
        EXPECT_EQ(lines.value(0), QStringLiteral("导入数据失败，请检查选择的文件是否正确！！"));
        EXPECT_EQ(head.LogMessages().constLast(),
                  QStringLiteral("导入") + file + QStringLiteral("失败,原因为:") + lines.value(1));
        return lines.value(1);
    };

    auto* sales = Maximised<TfrmImportSaleData>(main->importSaleAct);
    ASSERT_NE(sales, nullptr);
    const QString stockAsSales = exchange.filePath(QStringLiteral("库存清单改名销售清单.xml"));
    QFile::copy(stockFile, stockAsSales);
    EXPECT_EQ(refusedBy(sales, stockAsSales), QStringLiteral("这是库存清单文件，不是销售清单文件"));
    // Rows the reader does not take: in another namespace, or next to an element that is no row.
    const QByteArray list = FileBytes(saleFile);
    const QString odd = exchange.filePath(QStringLiteral("odd销售清单.xml"));
    WriteBytes(odd, QByteArray(list).replace("xmlns:z='#RowsetSchema'", "xmlns:z='#rowsetschema'"));
    EXPECT_TRUE(refusedBy(sales, odd).startsWith(QStringLiteral("不是记录集文件：数据部分含有不是行的元素z:row")));
    WriteBytes(odd, QByteArray(list).replace("<rs:data>", "<rs:data><rs:row/>"));
    EXPECT_TRUE(refusedBy(sales, odd).startsWith(QStringLiteral("不是记录集文件：数据部分含有不是行的元素rs:row")));
    WriteBytes(odd, QByteArray(list).replace("cd='广州&#x9;黄埔", "cd='广州&#x0;黄埔"));
    EXPECT_EQ(refusedBy(sales, odd), QStringLiteral("不是记录集文件：含有NUL字符"));
    // The hostile file of 2,000 columns goes no further than its schema.
    const QString wide = exchange.filePath(QStringLiteral("wide销售清单.xml"));
    QFile::copy(QStringLiteral(TALLYRA_HOSTILE_FIXTURES "/rs_2000cols_40000emptyrows.xml"), wide);
    EXPECT_EQ(refusedBy(sales, wide), QStringLiteral("文件的列多于102列"));
    // One row more than a million, each empty: refused, not held.
    QFile many(exchange.filePath(QStringLiteral("many销售清单.xml")));
    ASSERT_TRUE(many.open(QIODevice::WriteOnly));
    many.write(list.left(list.indexOf("\t<z:row")));
    const QByteArray rows = QByteArray("\t<z:row/>\r\n").repeated(1000);
    for (int i = 0; i < 1000; ++i)
        many.write(rows);
    many.write("\t<z:row/>\r\n</rs:data>\r\n</xml>");
    many.close();
    EXPECT_EQ(refusedBy(sales, many.fileName()), QStringLiteral("文件的行多于1000000行"));
    sales->btnClose->click();

    auto* stock = Maximised<TfrmImportInvData>(main->importInvAct);
    ASSERT_NE(stock, nullptr);
    const QString salesAsStock = exchange.filePath(QStringLiteral("销售清单改名库存清单.xml"));
    QFile::copy(saleFile, salesAsStock);
    EXPECT_EQ(refusedBy(stock, salesAsStock), QStringLiteral("这是销售清单文件，不是库存清单文件"));
    // A value the table cannot store: the stock window says why on the box's second line.
    QByteArray rollList = FileBytes(stockFile);
    rollList.replace("name='lyfs' rs:number='8' rs:nullable='true' rs:write='true'>\r\n\t\t\t<s:datatype dt:type='int'",
                     "name='lyfs' rs:number='8' rs:nullable='true' rs:write='true'>\r\n\t\t\t<s:datatype dt:type='string'");
    rollList.replace("lyfs='10'", "lyfs='十'");
    WriteBytes(stockFile, rollList);
    dialogs.AnswerPath(stockFile);
    stock->SpeedButton1->click();
    stock->btnImport->click();
    EXPECT_EQ(LastText(), QStringLiteral("导入数据成功！"));
    stock->btnSave->click();
    EXPECT_EQ(LastText(), QStringLiteral("保存库存数据失败!\n第1行lyfs列的值不能存入"));
    EXPECT_EQ(head.LogMessages().constLast(),
              QStringLiteral("保存") + stockFile + QStringLiteral("失败,原因为:第1行lyfs列的值不能存入"));
    EXPECT_TRUE(QFile::exists(stockFile));
    EXPECT_EQ(Count(QStringLiteral("select count(*) from SaleDetail")), invoices);
    EXPECT_EQ(Count(QStringLiteral("select count(*) from fpkcxx")), rolls);
}

TEST_F(ExchangeWindows, APointNameThatCannotBeInAFileNameIsRefusedBeforeAnyQuery)
{
    OpenMain(branch);
    for (const auto& [name, fault] : {std::pair{QStringLiteral("一店/二楼"), QStringLiteral("/")},
                                      std::pair{QStringLiteral("一店") + QChar(0), QStringLiteral("NUL")},
                                      std::pair{QStringLiteral(".."), QStringLiteral("..")}}) {
        CorpInfo.kpdName = name;
        auto* sales = Maximised<TfrmExportSaleData>(main->exportSaleAct);
        ASSERT_NE(sales, nullptr);
        const int mark = branch.LogMessages().size();
        const QString message = QStringLiteral("开票点名称含有不能用于文件名的字符：") + fault;
        sales->btnQry->click();
        EXPECT_EQ(LastText(), message);
        EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Warning);
        EXPECT_TRUE(sales->Panel3->text().isEmpty());  // no query ran
        EXPECT_FALSE(sales->btnExport->isEnabled());
        sales->SpeedButton1->click();  // no save dialog
        EXPECT_EQ(LastText(), message);
        EXPECT_TRUE(sales->edtPath->text().isEmpty());
        EXPECT_EQ(branch.LogMessages().mid(mark), (QStringList{message, message}));
        sales->btnClose->click();
    }
    EXPECT_EQ(dialogs.Unanswered(), 0);
}

// Each window says which month it works on, in text the clerk reads: the exports their month,
// black and unchangeable, the declaration the month it declares.
TEST_F(ExchangeWindows, TheMonthWorkedOnReadsAsText)
{
    OpenMain(branch);
    for (QAction* action : {main->exportSaleAct, main->exportInvAct}) {
        auto* w = Maximised<TExportListWindow>(action);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->dtpDate->text(), QStringLiteral("2026-02"));
        EXPECT_TRUE(w->dtpDate->isEnabled());
        EXPECT_TRUE(w->dtpDate->isReadOnly());
        QLabel plain(w->dtpDate->text());
        plain.setFont(w->dtpDate->font());
        plain.resize(w->dtpDate->size());
        EXPECT_LE(Darkest(w->dtpDate), Darkest(&plain) + 16) << "black, not the grey of a disabled picker";
        // Neither keys nor the wheel change it.
        QTest::keyClick(w->dtpDate, Qt::Key_Up);
        QWheelEvent wheel(QPointF(5, 5), w->dtpDate->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->dtpDate, &wheel);
        EXPECT_EQ(w->dtpDate->date(), QDate(2026, 2, 1));
        w->btnClose->click();
    }

    OpenMain(head);
    auto* declaration = Maximised<TfrmMKICData>(main->ImportICData);
    ASSERT_NE(declaration, nullptr);
    EXPECT_TRUE(declaration->stSSQ->isVisible());
    EXPECT_EQ(declaration->stSSQ->text(), QStringLiteral("申报所属期：2026年02月"));
    EXPECT_EQ(declaration->ReportMonth, QStringLiteral("2026-02"));

    // Writing over an earlier file is asked with "否" as the button Enter presses.
    declaration->btnExport->click();
    ASSERT_EQ(LastText(), QStringLiteral("导出数据成功！"));
    dialogs.Clear();
    dialogs.Answer(mbNo);
    declaration->btnExport->click();
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown().front().text, declaration->edtFName->text() + QStringLiteral("已经存在，是否重新生成？？"));
    EXPECT_EQ(dialogs.Shown().front().defaultButton, mbNo);
}

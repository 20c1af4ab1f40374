// The invoice list of a busy month: 10,000 invoices of the month among 100,000, filled into the
// template and saved; and that file read into the sheet view's model. The sales list of a month
// exported among 100,000 invoices, that list imported into another 100,000, and the declaration
// file of a month. The monthly statement made through its window.
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "reports/SaleList.h"
#include "reports/TfrmExportSaleData.h"
#include "reports/TfrmImportSaleData.h"
#include "reports/TfrmMKICData.h"
#include "reports/TfrmMKInvReport.h"
#include "workbook/TSheetView.h"
#include "workbook/TWorkbook.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <memory>

namespace {
const QString kMonth = QStringLiteral("2026-02");
const QString kName = QStringLiteral("list.xlsx");

struct TBusyMonth {
    std::unique_ptr<TTestProgramFolder> folder = std::make_unique<TTestProgramFolder>();

    TBusyMonth()
    {
        // 90,000 invoices of earlier months in every state, and 10,000 normal and negative
        // ones of the month.
        folder->Sql(QStringLiteral(
            "insert into baseinfo(corpName,corpTaxID,kpdName,flag) values('某汽车销售公司','440100000000001','总部','是');"
            "begin;"
            "with recursive n(i) as (select 1 union all select i+1 from n where i < 100000) "
            "insert into SaleDetail(kprq,fpdm,fphm,ghdw,cllx,cpxh,cd,cjhm,sl,dj,jwjehj,sccj,fpzt,kpdName) "
            "select case when i <= 90000 then '2025-06-01 10:00:00' else '2026-02-15 10:00:00' end,"
            "'144001900111',printf('%08d',i),'买方','轿车','某牌SV7180','广州',printf('LVIN%013d',i),'壹',"
            "100000+i,100000+i+0.5,'某汽车制造厂',case when i <= 90000 then cast(i % 5 as text) when i % 10 = 0 then '2' else "
            "'0' end,'总部' from n;"
            "commit;"));
        SetProgramFolder(folder->Path());
        InitGlobals();
    }
    ~TBusyMonth() { FreeGlobals(); }
    QString File() const { return folder->File(QStringLiteral("报表/") + kName); }
};

void BM_MakeSaleList(benchmark::State& state)
{
    TBusyMonth month;
    int n = 0;
    for (auto _ : state)
        n = MakeSaleList(month.folder->File(QStringLiteral("报表/")), kName, kMonth, true);
    state.counters["invoices"] = n;
    state.counters["bytes"] = static_cast<double>(QFileInfo(month.File()).size());
}
BENCHMARK(BM_MakeSaleList)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_OpenIntoViewModel(benchmark::State& state)
{
    TBusyMonth month;
    MakeSaleList(month.folder->File(QStringLiteral("报表/")), kName, kMonth, true);
    TSheetModel model;
    for (auto _ : state) {
        TSheetReader sheet;
        sheet.Open(month.File());
        model.SetSheet(std::move(sheet));
    }
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_OpenIntoViewModel)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);

// 100,000 invoices of code prefix code: the first 20,000 of the point 一店 in February 2026,
// every other one of them valid; the rest of another point in 2025.
void SeedInvoices(const TTestProgramFolder& folder, const QString& code)
{
    folder.Sql(
        QStringLiteral(
            "insert into baseinfo(corpName,corpTaxID,kpdName,flag) values('某汽车销售有限公司','330100000000001','一店','否');"
            "with recursive n(i) as (select 0 union all select i+1 from n where i < 99999) "
            "insert into SaleDetail select "
            "case when i < 20000 then printf('2026-02-%02d %02d:%02d:00', i % 28 + 1, i % 24, i % 60) "
            "else printf('2025-%02d-10 10:00:00', i % 12 + 1) end, "
            "'@CODE@' || printf('%05d', i / 10000), printf('%08d', i + 1), '广州某''某\"贸易<有限>公司', '44010119900101123X', "
            "'轿车', "
            "'某牌SV7180', '广州', 'WAB' || i, NULL, '', 'ENG' || i, printf('LSVAB2B3%09d', i), '壹', 125000.5, 'HT' || i, "
            "'上牌', NULL, '', 100, 0, 0, 'RMB壹拾贰万伍仟壹佰圆伍角', 125100.5, '某汽车销售有限公司', '某市某路1号', "
            "'0571-8800000', '330100000000001', '某银行某支行', '6222000000000001', '张三', '王出纳', '0', "
            "case when i < 20000 then (i % 2) || '' else '0' end, '', '', '某汽车制造厂', "
            "case when i < 20000 then '一店' else '二店' end from n;")
            .replace(QStringLiteral("@CODE@"), code));
}

void BM_QuerySalesAndExport(benchmark::State& state)
{
    TTestProgramFolder folder;
    SeedInvoices(folder, QStringLiteral("0440019"));
    TTestContext context(folder);
    TScriptedDialogs dialogs;
    TfrmExportSaleData window;
    window.show();
    const QString path = folder.File(QStringLiteral("2026年02月一店销售清单.xml"));
    for (auto _ : state) {
        window.QuerySales();
        window.edtPath->setText(path);
        window.ExportToFile();
        state.PauseTiming();
        if (dialogs.Texts().constLast() != QStringLiteral("导出数据成功！！") || window.Rows().rows.size() != 0 ||
            QFile(path).size() < 20000 * 500) {
            state.SkipWithError("the list was not exported");
            break;
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_QuerySalesAndExport)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LoadAndSaveSales(benchmark::State& state)
{
    TTestProgramFolder branch;
    SeedInvoices(branch, QStringLiteral("0440019"));
    QByteArray list;
    {
        TTestContext context(branch);
        TScriptedDialogs dialogs;
        TfrmExportSaleData window;
        window.show();
        window.QuerySales();
        window.edtPath->setText(branch.File(QStringLiteral("list.xml")));
        window.ExportToFile();
        list = branch.ReadFile(QStringLiteral("list.xml"));
    }
    TTestProgramFolder head;
    SeedInvoices(head, QStringLiteral("0550019"));
    TTestContext context(head);
    TScriptedDialogs dialogs;
    TfrmImportSaleData window;
    window.show();
    const QString name = QStringLiteral("2026年02月一店销售清单.xml");
    for (auto _ : state) {
        state.PauseTiming();
        head.WriteFile(name, list);
        window.edtPath->setText(head.File(name));
        state.ResumeTiming();
        window.LoadFile();
        window.SaveSales();
        state.PauseTiming();
        const int stored = DataBase->Scalar(QStringLiteral("select count(*) from SaleDetail where fpdm like '0440019%'")).toInt();
        if (dialogs.Texts().constLast() != QStringLiteral("保存销售数据成功!") || stored != 20000) {
            state.SkipWithError("the list was not stored");
            break;
        }
        DataBase->Run(QStringLiteral("delete from SaleDetail where fpdm like '0440019%'"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadAndSaveSales)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_WriteDeclarationXml(benchmark::State& state)
{
    TTestProgramFolder folder;
    SeedInvoices(folder, QStringLiteral("0440019"));
    TTestContext context(folder);
    TScriptedDialogs dialogs;
    TfrmMKICData window;
    window.show();
    for (auto _ : state) {
        if (!window.WriteDeclarationXml()) {
            state.SkipWithError("the declaration was not written");
            break;
        }
    }
}
BENCHMARK(BM_WriteDeclarationXml)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);

// The monthly statement of ten invoicing points with 500 ranges (250 opening stock, 250
// received in the month), 10,000 invoices of the month in every state among 130,000, made
// through its window to the renamed file, the question answered.
struct TStockMonth {
    std::unique_ptr<TTestProgramFolder> folder = std::make_unique<TTestProgramFolder>();

    TStockMonth()
    {
        // Range i (0-499) belongs to point i/50 under that point's code and holds the numbers
        // (i%50)*100+1 to +100; each point also has an older roll of 12,000 numbers from 10001.
        // printf patterns would read as QString::arg's place markers: the parts are replaced.
        const auto code = [](const char* i) { return QStringLiteral("'1440019000'||printf('%02d',") + QLatin1String(i) + u')'; };
        const auto point = [](const char* i) { return QStringLiteral("'开票点'||printf('%02d',") + QLatin1String(i) + u')'; };
        const auto number = [](const char* n) { return QStringLiteral("printf('%08d',") + QLatin1String(n) + u')'; };
        const QString ranges = QStringLiteral("with recursive r(i) as (select 0 union all select i+1 from r where i < 499) ");
        folder->Sql(
            QStringLiteral("insert into baseinfo(corpName,corpTaxID,kpdName,flag) "
                           "values('某汽车销售公司','440100000000001','开票点00','是');"
                           "begin;") +
            QString(ranges + QStringLiteral(
                                 "insert into qmkc(ssrq,fs,qzhm,kpdName) select '2026-02',100,CODE||':'||FIRST||'-'||LAST,POINT "
                                 "from r where i%50 < 25;"))
                .replace("CODE", code("i/50"))
                .replace("FIRST", number("(i%50)*100+1"))
                .replace("LAST", number("(i%50)*100+100"))
                .replace("POINT", point("i/50")) +
            QString(
                ranges +
                QStringLiteral("insert into fpkcxx(lyrq,fpdm,fphmq,fphmz,kczt,dqhm,lyr,lyfs,syfs,kpdName) "
                               "select '2026-02-'||printf('%02d',1+i%28)||' 13:28:19',CODE,FIRST,LAST,'101',FIRST,'李四',100,100,"
                               "POINT from r where i%50 >= 25 union all select '2025-06-01 13:28:19',CODE,'00010001','00022000',"
                               "'101','00010001','李四',12000,0,POINT from r where i%50 = 0;"))
                .replace("CODE", code("i/50"))
                .replace("FIRST", number("(i%50)*100+1"))
                .replace("LAST", number("(i%50)*100+100"))
                .replace("POINT", point("i/50")) +
            QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i < 129999) "
                           "insert into SaleDetail(kprq,fpdm,fphm,ghdw,cllx,cpxh,cd,cjhm,sl,dj,jwjehj,sccj,fpzt,kpdName) "
                           "select case when i < 10000 then '2026-02-15 10:00:00' else '2025-07-01 10:00:00' end,"
                           "case when i < 10000 then MCODE else OCODE end,case when i < 10000 then MNUMBER else ONUMBER end,"
                           "'买方','轿车','某牌SV7180','广州','LVIN0000000000001','壹',100000,100000,'某汽车制造厂',"
                           "cast(i%5 as text),case when i < 10000 then MPOINT else OPOINT end from n;commit;")
                .replace("MCODE", code("i/1000"))
                .replace("OCODE", code("i%10"))
                .replace("MNUMBER", number("((i/20)%50)*100+1+i%20"))
                .replace("ONUMBER", number("10001+(i-10000)/10"))
                .replace("MPOINT", point("i/1000"))
                .replace("OPOINT", point("i%10")));
        SetProgramFolder(folder->Path());
        InitGlobals();
    }
    ~TStockMonth() { FreeGlobals(); }
};

void BM_MonthlyStatement(benchmark::State& state)
{
    TStockMonth month;
    TScriptedDialogs dialogs;
    auto window = std::make_unique<TfrmMKInvReport>();
    window->show();
    for (auto _ : state) {
        if (QFileInfo::exists(window->ReportFile))
            dialogs.Answer(mbYes);
        window->btnMakeRep->click();
    }
    if (dialogs.Shown().empty() || dialogs.Shown().back().text != QStringLiteral("成功生成") + window->edtRepName->text())
        state.SkipWithError("the statement was not made");
    TRows carried;
    DataBase->OpenSQL(QStringLiteral("select count(*) from qmkc where ssrq='2026-03'"), carried);
    state.counters["carried"] = carried.empty() ? 0 : carried[0][0].toDouble();
    state.counters["bytes"] = static_cast<double>(QFileInfo(window->ReportFile).size());
    window->close();
}
BENCHMARK(BM_MonthlyStatement)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);
}  // namespace

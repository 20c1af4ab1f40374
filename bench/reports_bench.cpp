// The invoice list of a busy month: 10,000 invoices of the month among 100,000, filled into the
// template and saved; and that file read into the sheet view's model.
#include "ProgramFolder.h"
#include "core/Globals.h"
#include "reports/SaleList.h"
#include "reports/TSheetView.h"
#include "reports/TWorkbook.h"

#include <QFileInfo>
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
            "100000+i,100000+i+0.5,'某汽车制造厂',case when i <= 90000 then cast(i % 5 as text) when i % 10 = 0 then '2' else '0' end,'总部' from n;"
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
        TWorkbook book;
        book.Open(month.File());
        model.SetContent(book.Content());
    }
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_OpenIntoViewModel)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);
}  // namespace

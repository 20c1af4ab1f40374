// Start-up and the stock routines on a database of realistic size:
// 100,000 invoices and 1,000 rolls.
#include "ProgramFolder.h"
#include "core/Clock.h"
#include "core/Common.h"
#include "core/Globals.h"
#include "core/TADODB.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {
std::unique_ptr<TTestProgramFolder> MakeLargeFolder()
{
    auto folder = std::make_unique<TTestProgramFolder>();
    QString sql = QStringLiteral(
        "insert into baseinfo(corpName,corpTaxID,kpdName,flag) values('某汽车销售公司','440100000000001','总部','是');"
        "insert into CLLX(cllx) values('轿车'),('客车'),('货车');"
        "insert into SCCJ(cpxh,sccj,cd) values('A型','甲厂','广州'),('B型','乙厂','上海');"
        "begin;");
    for (int r = 0; r < 1000; ++r) {
        const QString first = QString::number(r * 100 + 1).rightJustified(8, u'0');
        const QString last = QString::number(r * 100 + 100).rightJustified(8, u'0');
        sql += QStringLiteral(
                   "insert into fpkcxx values('2026-01-01 13:28:19','144001900111','%1','%2','000','%1','张三',100,100,'总部');")
                   .arg(first, last);
    }
    sql += QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i < 100000) "
        "insert into SaleDetail(kprq,fpdm,fphm,ghdw,cllx,cpxh,dj,jwjehj,fpzt,kpdName) "
        "select '2025-12-01 10:00:00','144001900000',printf('%08d',i),'买方','轿车','A型',100000,100000,'0','总部' from n;"
        "commit;");
    folder->Sql(sql);
    return folder;
}

TTestProgramFolder& LargeFolder()
{
    static std::unique_ptr<TTestProgramFolder> folder = MakeLargeFolder();
    return *folder;
}

void BM_InitGlobals(benchmark::State& state)
{
    TTestProgramFolder& folder = LargeFolder();
    SetProgramFolder(folder.Path());
    for (auto _ : state) {
        benchmark::DoNotOptimize(InitGlobals());
        state.PauseTiming();
        FreeGlobals();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InitGlobals)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_TakeNextInvoiceNumber(benchmark::State& state)
{
    TTestProgramFolder& folder = LargeFolder();
    SetProgramFolder(folder.Path());
    InitGlobals();
    for (auto _ : state) {
        bool advanced = true;
        DataBase->RunInTransaction([&] {
            TCurFPInfo cur;
            advanced = GetCurInvoice(cur) && AdvanceInvoiceNo(cur.dqhm, cur.fpdm) == 1;
        });
        if (!advanced) {
            state.SkipWithError("no roll to advance");
            break;
        }
    }
    FreeGlobals();
}
BENCHMARK(BM_TakeNextInvoiceNumber)->Unit(benchmark::kMicrosecond)->Iterations(200)->Repetitions(5)->ReportAggregatesOnly(true);
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SetClock([] { return FixedNow(); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

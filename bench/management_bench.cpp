// The management and query windows on 100,000 invoices of this point in the listed days: the
// issued-invoice list up to its count line and first rows painted, the issuing-record query of
// every state with every row measured, and a run of 1,000 blank numbers registered. Beside
// them, the list statement of three days (57,599 invoices) read out whole for a grid, against
// the same statement stepped through bare.
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/InvoiceStatements.h"
#include "invoices/TfrmQrySale.h"
#include "invoices/TfrmWKJFPGL.h"
#include "invoices/TfrmYKJFPGL.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDriver>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>

namespace {
// 100,000 invoices from 2026-03-01 08:00 on, four seconds apart (the clock stands at
// 2026-03-05 14:07:09), one in a hundred negative, with buyers, cars and amounts that vary.
struct TLargeFolder {
    TTestProgramFolder folder;
    TLargeFolder()
    {
        folder.Sql(QStringLiteral(
            "insert into baseinfo(corpName,corpAdd,CorpTel,corpTaxID,corpBank,corpAcount,ManageTaxID,OperMan,kpdName,flag) "
            "values('某汽车销售公司','广州市天河路1号','020-12345678','440100000000001','工商银行天河支行',"
            "'6222000011112222','44010000','李会计','总部','是');"
            "insert into fpkcxx values('2026-01-01 13:28:19','144001900111','10000001','19999999','101','10000001',"
            "'张三',10000000,10000000,'总部');"
            "begin;"
            "with recursive n(i) as (select 1 union all select i+1 from n where i < 100000) "
            "insert into SaleDetail(kprq,fpdm,fphm,ghdw,ghdwID,cllx,cpxh,cd,hgzhm,fdjhm,cjhm,sl,dj,htdh,jwfy1,jwje1,jwje2,"
            "jwje3,jwhjdx,jwjehj,saleName,saleAdd,saleTel,saleMan,skr,fpzt,kpdName) "
            "select datetime('2026-03-01 08:00:00', '+' || (i*4) || ' seconds'),'144001900000',printf('%08d',i),"
            "'广州某某贸易有限公司' || (i % 5000),printf('4401011990%08d',i),'轿车','A型' || (i % 40),'广州',"
            "printf('WAB%09d',i),printf('E%07d',i),printf('LSV%014d',i),'壹',80000 + (i % 997) * 10.5,"
            "printf('HT%06d',i),'上牌',500,0,0,'RMB捌万零伍佰圆整',80500 + (i % 997) * 10.5,'某汽车销售公司',"
            "'广州市天河路1号','020-12345678','李会计','王出纳',case when i % 100 = 0 then '2' else '0' end,'总部' "
            "from n;"
            "commit;"));
        SetProgramFolder(folder.Path());
        InitGlobals();
    }
    ~TLargeFolder() { FreeGlobals(); }
};

void BM_IssuedInvoicesListed(benchmark::State& state)
{
    TLargeFolder large;
    TfrmYKJFPGL window;
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();  // exposed, so that a repaint paints
    for (auto _ : state) {
        window.btnQry->click();
        window.dbgSale->viewport()->repaint();
        state.PauseTiming();
        if (window.Panel3->text() != QStringLiteral("   共查询到：100000条记录")) {
            state.SkipWithError("the list does not hold the invoices");
            break;
        }
        window.btnClear->click();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_IssuedInvoicesListed)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SalesQueriedInAllStates(benchmark::State& state)
{
    TLargeFolder large;
    TfrmQrySale window;
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();  // exposed, so that a repaint paints
    window.cmbZT->setCurrentIndex(5);
    for (auto _ : state) {
        window.btnQry->click();
        window.dbgSale->viewport()->repaint();
        state.PauseTiming();
        if (window.Panel3->text() != QStringLiteral("  共查询到100000条记录!") || window.ColWidths[9] == 0) {
            state.SkipWithError("the query did not measure the invoices");
            break;
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SalesQueriedInAllStates)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ThousandBlankNumbersRegistered(benchmark::State& state)
{
    TLargeFolder large;
    TScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        DataBase->Run(QStringLiteral("delete from SaleDetail where fpzt='1'"));
        DataBase->Run(QStringLiteral("update fpkcxx set dqhm=fphmq, syfs=lyfs"));
        dialogs.Clear();
        auto window = std::make_unique<TfrmWKJFPGL>();
        window->show();
        window->edtEFPHM->setText(QStringLiteral("10001000"));
        dialogs.Answer(mbYes);
        state.ResumeTiming();

        window->btnBlank->click();

        state.PauseTiming();
        if (dialogs.Texts().value(1) != QStringLiteral("作废10000001-10001000成功！")) {
            state.SkipWithError("the run was not stored");
            break;
        }
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ThousandBlankNumbersRegistered)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

TStatement ThreeDays()
{
    return IssuedInvoicesStatement(QDate(2026, 3, 1), QDate(2026, 3, 3), QString(), QString(), QStringLiteral("总部"));
}

void BM_ListReadOutWhole(benchmark::State& state)
{
    TLargeFolder large;
    const TStatement statement = ThreeDays();
    for (auto _ : state) {
        const TReadRows rows = ReadStatement(statement);
        if (rows.RowCount() != 57599) {
            state.SkipWithError("not the rows of the three days");
            break;
        }
    }
}
BENCHMARK(BM_ListReadOutWhole)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);

// The floor: the statement stepped on the same connection, each value fetched and dropped.
void BM_ListBareStatement(benchmark::State& state)
{
    TLargeFolder large;
    const TStatement statement = ThreeDays();
    const QVariant handle = DataBase->Connection().driver()->handle();
    sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
    const QByteArray sql = statement.Sql.toUtf8();
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
        for (auto it = statement.Params.cbegin(); it != statement.Params.cend(); ++it) {
            const QByteArray value = it.value().toString().toUtf8();
            sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, (u':' + it.key()).toUtf8().constData()), value.constData(),
                              int(value.size()), SQLITE_TRANSIENT);
        }
        int rows = 0;
        const int columns = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < columns; ++c) {
                const int type = sqlite3_column_type(st, c);
                if (type == SQLITE_TEXT)
                    benchmark::DoNotOptimize(sqlite3_column_text(st, c));
                else if (type == SQLITE_FLOAT)
                    benchmark::DoNotOptimize(sqlite3_column_double(st, c));
                else if (type == SQLITE_INTEGER)
                    benchmark::DoNotOptimize(sqlite3_column_int64(st, c));
            }
        }
        sqlite3_finalize(st);
        if (rows != 57599) {
            state.SkipWithError("not the rows of the three days");
            break;
        }
    }
}
BENCHMARK(BM_ListBareStatement)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);
}  // namespace

// Issuing one invoice on a database of realistic size (100,000 invoices): the whole
// transaction printing into a PDF, and its database part alone.
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TframeInput.h"
#include "printing/PrintInvoice.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {
std::unique_ptr<TTestProgramFolder> MakeLargeFolder()
{
    auto folder = std::make_unique<TTestProgramFolder>();
    folder->Sql(QStringLiteral(
        "insert into baseinfo(corpName,corpAdd,CorpTel,corpTaxID,corpBank,corpAcount,ManageTaxID,OperMan,kpdName,flag) "
        "values('某汽车销售公司','广州市天河路1号','020-12345678','440100000000001','工商银行天河支行',"
        "'6222000011112222','44010000','李会计','总部','是');"
        "insert into CLLX(cllx) values('轿车'),('客车');"
        "insert into SCCJ(cpxh,sccj,cd) values('A型','甲厂','广州'),('B型','乙厂','上海');"
        "insert into fpkcxx values('2026-01-01 13:28:19','144001900111','10000001','19999999','000','10000001',"
        "'张三',10000000,10000000,'总部');"
        "begin;"
        "with recursive n(i) as (select 1 union all select i+1 from n where i < 100000) "
        "insert into SaleDetail(kprq,fpdm,fphm,ghdw,cllx,cpxh,cd,fdjhm,cjhm,sl,dj,jwje1,jwje2,jwje3,jwjehj,fpzt,kpdName) "
        "select '2025-12-01 10:00:00','144001900000',printf('%08d',i),'买方','轿车','A型','广州',printf('E%07d',i),"
        "printf('LSV%014d',i),'壹',100000,0,0,0,100000,'0','总部' from n;"
        "commit;"));
    QFile tpl(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml"));
    if (tpl.open(QIODevice::ReadOnly))
        folder->WriteFile(QStringLiteral("PrintTemplate.xml"), tpl.readAll());
    return folder;
}

// One prepared frame on the large database; each invoice takes the next number.
struct TIssuing {
    std::unique_ptr<TTestProgramFolder> folder = MakeLargeFolder();
    TScriptedDialogs dialogs;
    std::unique_ptr<TframeInput> frame;
    int car = 0;

    TIssuing()
    {
        SetProgramFolder(folder->Path());
        InitGlobals();
        qputenv("TALLYRA_PRINT_PDF", folder->File(QStringLiteral("invoice.pdf")).toUtf8());
        frame = std::make_unique<TframeInput>();
        Next();
    }
    ~TIssuing()
    {
        frame.reset();
        FreeGlobals();
    }
    bool Next()
    {
        if (!frame->InitInvoice())
            return false;
        ++car;
        frame->edtGHDW->setText(QStringLiteral("广州某某贸易有限公司"));
        frame->edtGHDWID->setText(QStringLiteral("44010119900101123X"));
        frame->edtFDJH->setEditText(QStringLiteral("B%1").arg(car));
        frame->edtCJHM->setText(QStringLiteral("LFV%1").arg(car, 14, 10, QChar(u'0')));
        frame->edtDJ->setText(QStringLiteral("123456.00"));
        frame->edtJWFY1->setText(QStringLiteral("上牌"));
        frame->edtJWJE1->setText(QStringLiteral("500.00"));
        dialogs.Clear();
        dialogs.AnswerInput(frame->stFPHM->text());
        return true;
    }
};

// Preparing the next invoice is not part of the issue: each iteration times the issue alone
// (pausing the timer around the preparation distorts a sub-millisecond measurement).
template <class F>
void Timed(benchmark::State& state, F&& issue)
{
    const auto start = std::chrono::steady_clock::now();
    const bool ok = issue();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!ok)
        state.SkipWithError("the issue failed");
}

void BM_SaveAndPrint(benchmark::State& state)
{
    TIssuing issuing;
    for (auto _ : state) {
        Timed(state, [&] { return issuing.frame->SaveAndPrint(QStringLiteral("0")); });
        issuing.Next();
    }
}
BENCHMARK(BM_SaveAndPrint)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(50)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The same transaction without dialogs and printer: existence test, row, roll, commit.
void BM_IssueDatabasePart(benchmark::State& state)
{
    TIssuing issuing;
    TframeInput& f = *issuing.frame;
    for (auto _ : state) {
        Timed(state, [&] {
            if (CountIssued(f.stFPDM->text(), f.stFPHM->text()) != 0)
                return false;
            DataBase->RunInTransaction([&] { StoreIssuedInvoice(f.SaleRow(QStringLiteral("0"), Now())); });
            return true;
        });
        issuing.Next();
    }
}
BENCHMARK(BM_IssueDatabasePart)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
}  // namespace

// Saving a receipt of 50 ranges, with their overlap tests, into a stock of 5,000 rolls.
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TfrmLYFP.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <benchmark/benchmark.h>

namespace {
constexpr int kCodes = 10;
constexpr int kRollsPerCode = 500;

QString Code(int c) { return QStringLiteral("1440019%1").arg(c, 5, 10, QLatin1Char('0')); }
QString Number(int n) { return QString::number(n).rightJustified(8, u'0'); }

void SeedStock(const TTestProgramFolder& folder)
{
    QString sql = QStringLiteral(
        "insert into baseinfo(corpName,corpTaxID,kpdName,flag) values('某汽车销售公司','440100000000001','总部','是');begin;");
    for (int c = 0; c < kCodes; ++c)
        for (int r = 0; r < kRollsPerCode; ++r)
            sql +=
                QStringLiteral("insert into fpkcxx values('2025-%1-01 13:28:19','%2','%3','%4','101','%3','张三',100,100,'%5');")
                    .arg(r % 12 + 1, 2, 10, QLatin1Char('0'))
                    .arg(Code(c), Number(r * 100 + 1), Number(r * 100 + 100),
                         r % 3 ? QStringLiteral("总部") : QStringLiteral("分部"));
    folder.Sql(sql + QStringLiteral("commit;"));
}

void BM_SaveReceiptOf50Ranges(benchmark::State& state)
{
    TTestProgramFolder folder;
    SeedStock(folder);
    TTestContext context(folder);
    TScriptedDialogs dialogs;
    TfrmLYFP form;
    form.show();
    for (auto _ : state) {
        // Five new rolls after the stored ones of every code.
        for (int i = 0; i < 50; ++i) {
            const int first = (kRollsPerCode + i / kCodes) * 100 + 1;
            form.edtFPDM->setText(Code(i % kCodes));
            form.edtFPHMQ->setText(Number(first));
            form.edtFPHMZ->setText(Number(first + 99));
            form.edtLYR->setText(QStringLiteral("王五"));
            form.btnAddClick();
        }
        dialogs.Answer(mbYes);
        form.btnSaveClick();

        state.PauseTiming();
        const QString last = dialogs.Texts().isEmpty() ? QString() : dialogs.Texts().constLast();
        const int stored = DataBase->Scalar(QStringLiteral("select count(*) from fpkcxx where lyr='王五'")).toInt();
        if (last != QStringLiteral("发票入库成功") || stored != 50) {
            state.SkipWithError("the receipt was not stored");
            break;
        }
        DataBase->Run(QStringLiteral("delete from fpkcxx where lyr='王五'"));
        dialogs.Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveReceiptOf50Ranges)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);
}  // namespace

// The actions of a large dealer at 100,000 and at 1,000,000 invoices, each beside its floor: the
// bare SQL or I/O the action cannot avoid, run in the same program on the same database. The
// databases are generated once (ScaleData.h) and copied into a program folder per run; the
// summary at the end pairs every action with its floor.
//
//   build/bench/scale_bench                              both sizes (the first run generates them)
//   build/bench/scale_bench --benchmark_filter=/100000/  one size
#include "ProgramFolder.h"
#include "ScaleData.h"
#include "ScriptedDialogs.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"
#include "core/WholeFile.h"
#include "exchange/DeclarationXml.h"
#include "invoices/InvoiceStatements.h"
#include "invoices/ListGrid.h"
#include "invoices/TframeInput.h"
#include "invoices/TfrmQrySale.h"
#include "invoices/TfrmWKJFPGL.h"
#include "printing/PrintInvoice.h"
#include "reports/SaleList.h"
#include "reports/TfrmExportSaleData.h"
#include "reports/TfrmImportSaleData.h"
#include "reports/TfrmMKICData.h"
#include "reports/TfrmMKInvReport.h"
#include "workbook/TSheetView.h"
#include "workbook/TWorkbook.h"
#include "workbook/WorkbookPackage.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QSaveFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <pugixml.hpp>

namespace {
using scale::kBusyMonth;
using scale::kListMonth;

// One program folder per size, holding a copy of the cached database for this run. Benchmarks
// that write undo what they wrote, so that the next one finds the generated data.
struct TScaleFolder {
    int size;
    TTestProgramFolder folder;
    explicit TScaleFolder(int n) : size(n)
    {
        const QString cached = scale::CachedDatabase(n);
        QFile::remove(folder.DatabaseFile());
        if (!QFile::copy(cached, folder.DatabaseFile()))
            throw std::runtime_error("cannot copy the cached database");
        QFile tpl(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml"));
        if (tpl.open(QIODevice::ReadOnly))
            folder.WriteFile(QStringLiteral("PrintTemplate.xml"), tpl.readAll());
    }
};

// Emptied before main returns: the folders' clean-up uses the context's own statics.
std::map<int, std::unique_ptr<TScaleFolder>>& Folders()
{
    static std::map<int, std::unique_ptr<TScaleFolder>> folders;
    return folders;
}

TScaleFolder& Folder(int size)
{
    auto& f = Folders()[size];
    if (!f)
        f = std::make_unique<TScaleFolder>(size);
    return *f;
}

// The context on the size's folder at a given time, for one benchmark.
struct TContext {
    TScaleFolder& f;
    TContext(int size, const QDateTime& now = FixedNow()) : f(Folder(size))
    {
        SetClock([now] { return now; });
        SetProgramFolder(f.folder.Path());
        InitGlobals();
    }
    ~TContext()
    {
        FreeGlobals();
        SetClock([] { return FixedNow(); });
    }
    QString File(const QString& relative) const { return f.folder.File(relative); }
};

// A day in the month after monthIndex: the windows then work on that month.
QDateTime After(int monthIndex) { return QDateTime(QDate(2025, 3, 5).addMonths(monthIndex + 1), QTime(10, 0)); }

QSqlQuery Open(const QString& sql, const TParams& params = {})
{
    QSqlQuery q(DataBase->Connection());
    q.setForwardOnly(true);
    if (!DataBase->Execute(q, sql, params))
        throw std::runtime_error(DataBase->LastErrorText().toStdString());
    return q;
}

// Steps every row of the statement reading every value; the number of rows.
int Walk(const QString& sql, const TParams& params = {})
{
    QSqlQuery q = Open(sql, params);
    const int fields = q.record().count();
    int n = 0;
    while (q.next()) {
        ++n;
        for (int i = 0; i < fields; ++i)
            benchmark::DoNotOptimize(q.value(i));
    }
    q.finish();
    return n;
}

void Sizes(benchmark::internal::Benchmark* b) { b->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond); }

// --- The invoice list of the 10k month ------------------------------------------------------

void BM_SaleList(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    int n = 0;
    for (auto _ : state)
        n = MakeSaleList(c.File(QStringLiteral("报表/")), QStringLiteral("list.xlsx"), scale::MonthKey(kListMonth), true);
    state.counters["rows"] = n;
}
BENCHMARK(BM_SaleList)->Apply(Sizes)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_SaleListFloor(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    int n = 0;
    for (auto _ : state)
        n = Walk(QStringLiteral("select fpdm,fphm,SCCJ,cpxh,cjhm,jwjehj from SaleDetail where (fpzt='0' or fpzt='2') and "
                                "substr(kprq,1,7)=:month order by fpdm,fphm,kprq"),
                 {{QStringLiteral("month"), scale::MonthKey(kListMonth)}});
    state.counters["rows"] = n;
}
BENCHMARK(BM_SaleListFloor)->Apply(Sizes)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

// --- The declaration file of the 10k month --------------------------------------------------

void BM_Declaration(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    TScriptedDialogs dialogs;
    TfrmMKICData window;
    window.show();
    for (auto _ : state)
        if (!window.WriteDeclarationXml()) {
            state.SkipWithError("the declaration was not written");
            break;
        }
}
BENCHMARK(BM_Declaration)->Apply(Sizes)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_DeclarationFloor(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    int n = 0;
    for (auto _ : state)
        n = Walk(DeclarationStatement(), {{QStringLiteral("normal"), QStringLiteral("0")},
                                          {QStringLiteral("negative"), QStringLiteral("2")},
                                          {QStringLiteral("month"), scale::MonthKey(kListMonth)}});
    state.counters["rows"] = n;
}
BENCHMARK(BM_DeclarationFloor)->Apply(Sizes)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

// --- The issuing-record query of the 50k month, all states ----------------------------------

const QDate kBusyFirst(2026, 1, 1);
const QDate kBusyLast(2026, 1, 31);

void BM_SalesQuery(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    TfrmQrySale window;
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();  // exposed, so that a repaint paints
    window.dtpStart->setDate(kBusyFirst);
    window.dtpEnd->setDate(kBusyLast);
    window.cmbZT->setCurrentIndex(5);
    for (auto _ : state) {
        window.btnQry->click();
        window.dbgSale->viewport()->repaint();
    }
    if (window.Panel3->text() != QStringLiteral("  共查询到50000条记录!"))
        state.SkipWithError(qPrintable(QStringLiteral("the query did not list the month: ") + window.Panel3->text()));
}
BENCHMARK(BM_SalesQuery)->Apply(Sizes)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

// The grid's fields of every row once, in the order shown.
void BM_SalesQueryFloor(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    const TStatement statement = SalesStatement(kBusyFirst, kBusyLast, 5, QString(), QString());
    QStringList fields;
    for (const TGridColumn& column : SaleColumns())
        fields << column.field;
    int n = 0;
    for (auto _ : state)
        n = Walk(statement.SelectOf(fields), statement.Params);
    state.counters["rows"] = n;
}
BENCHMARK(BM_SalesQueryFloor)->Apply(Sizes)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

// --- The monthly statement: 10 points, 500 ranges, the opening ranges without a code ---------

void BM_Statement(benchmark::State& state)
{
    TContext c(int(state.range(0)));
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
    state.counters["carried"] = DataBase->Scalar(QStringLiteral("select count(*) from qmkc where ssrq='2026-03'")).toDouble();
    window->close();
    window.reset();
    DataBase->Run(QStringLiteral("delete from qmkc where ssrq='2026-03'"));
}
BENCHMARK(BM_Statement)->Apply(Sizes)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// The statement's own SQL: for every point its ranges, and for every range the three
// movements, the received copies of a roll and the largest number touched.
void BM_StatementFloor(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    const QString month = scale::MonthKey(kListMonth);
    const char* const movements[] = {"(fpzt='0' or fpzt='2')", "fpzt='3'", "(fpzt='1' or fpzt='4')"};
    int ranges = 0;
    for (auto _ : state) {
        ranges = 0;
        QStringList points;
        for (QSqlQuery q = Open(QStringLiteral("select distinct kpdName from fpkcxx order by kpdName")); q.next();)
            points << q.value(0).toString();
        for (const QString& point : points) {
            struct TRange {
                QString code, first, last;
            };
            std::vector<TRange> list;
            const TParams pm{{QStringLiteral("month"), month}, {QStringLiteral("point"), point}};
            for (QSqlQuery q =
                     Open(QStringLiteral("select qzhm,fs from qmkc where ssrq=:month and kpdName=:point order by ssrq,qzhm"), pm);
                 q.next();) {
                const QString qzhm = q.value(0).toString();
                const QString numbers = qzhm.mid(qzhm.indexOf(u':') + 1);
                list.push_back({qzhm.contains(u':') ? qzhm.left(qzhm.indexOf(u':')) : QString(), numbers.section(u'-', 0, 0),
                                numbers.section(u'-', 1)});
            }
            const size_t opening = list.size();
            for (QSqlQuery q = Open(QStringLiteral("select fphmq,fphmz,dqhm,fpdm from fpkcxx where substr(lyrq,1,7)=:month and "
                                                   "kpdName=:point order by lyrq,fpdm,fphmq,fphmz"),
                                    pm);
                 q.next();)
                list.push_back({q.value(3).toString(), q.value(0).toString(), q.value(1).toString()});
            for (size_t i = 0; i < list.size(); ++i) {
                const TRange& r = list[i];
                const bool code = !r.code.isEmpty();
                TParams p = pm;
                p.insert(QStringLiteral("first"), r.first);
                p.insert(QStringLiteral("last"), r.last);
                if (code)
                    p.insert(QStringLiteral("code"), r.code);
                const QString codeClause = code ? QStringLiteral(" and fpdm=:code") : QString();
                if (i >= opening)
                    Walk(QStringLiteral("select sum(lyfs) from fpkcxx where substr(lyrq,1,7)=:month and kpdName=:point and "
                                        "fphmq>=:first and fphmz<=:last and fpdm=:code"),
                         p);
                for (const char* m : movements)
                    Walk(QStringLiteral(
                             "select fphm from SaleDetail where %1 and substr(kprq,1,7)=:month and kpdName=:point%2 and "
                             "fphm>=:first and fphm<=:last order by fphm")
                             .arg(QLatin1String(m), codeClause),
                         p);
                Walk(QStringLiteral("select max(fphm) from SaleDetail where substr(kprq,1,7)=:month and kpdName=:point and "
                                    "fphm>=:first%1 and fphm<=:last")
                         .arg(codeClause),
                     p);
                ++ranges;
            }
        }
    }
    state.counters["ranges"] = ranges;
}
BENCHMARK(BM_StatementFloor)->Apply(Sizes)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// --- 1,000 blank numbers of the head point's open roll -------------------------------------

// The open roll back as generated, and the numbers registered taken away.
void ResetOpenRoll()
{
    DataBase->Run(QStringLiteral("delete from SaleDetail where kprq >= '2026-03'"));
    DataBase->Run(QStringLiteral("update fpkcxx set dqhm=fphmq, syfs=lyfs where fpdm=:code"),
                  {{QStringLiteral("code"), QStringLiteral("14400190") + QStringLiteral("0099")}});
}

void BM_BlankRun(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    TScriptedDialogs dialogs;
    ResetOpenRoll();
    for (auto _ : state) {
        state.PauseTiming();
        dialogs.Clear();
        auto window = std::make_unique<TfrmWKJFPGL>();
        window->show();
        window->edtEFPHM->setText(QStringLiteral("00001000"));
        dialogs.Answer(mbYes);
        state.ResumeTiming();

        window->btnBlank->click();

        state.PauseTiming();
        if (dialogs.Texts().value(1) != QStringLiteral("作废00000001-00001000成功！")) {
            state.SkipWithError(qPrintable(QStringLiteral("the run was not stored: ") + dialogs.Texts().join(u'|')));
            break;
        }
        window.reset();
        ResetOpenRoll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BlankRun)->Apply(Sizes)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

// The same rows inserted and the roll moved a number at a time by its row id, in one
// transaction.
void BM_BlankRunFloor(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    ResetOpenRoll();
    const qint64 roll = DataBase->Scalar(QStringLiteral("select rowid from fpkcxx where fpdm='144001900099'")).toLongLong();
    for (auto _ : state) {
        DataBase->RunInTransaction([&] {
            QSqlQuery insert(DataBase->Connection());
            insert.prepare(QStringLiteral(
                "insert into "
                "SaleDetail(kprq,fpdm,fphm,fpzt,saleName,saleAdd,saleTel,saleTaxID,saleBank,saleAcount,saleMan,kpdName) "
                "values(:kprq,:fpdm,:fphm,:fpzt,:saleName,:saleAdd,:saleTel,:saleTaxID,:saleBank,:saleAcount,:saleMan,:"
                "kpdName)"));
            QSqlQuery advance(DataBase->Connection());
            advance.prepare(QStringLiteral("update fpkcxx set dqhm=:next, syfs=syfs-1 where rowid=:roll"));
            for (int k = 1; k <= 1000; ++k) {
                const QString no = QStringLiteral("%1").arg(k, 8, 10, QLatin1Char('0'));
                insert.bindValue(QStringLiteral(":kprq"), DateTimeText(Now()));
                insert.bindValue(QStringLiteral(":fpdm"), QStringLiteral("144001900099"));
                insert.bindValue(QStringLiteral(":fphm"), no);
                insert.bindValue(QStringLiteral(":fpzt"), QStringLiteral("1"));
                for (const char* f : {":saleName", ":saleAdd", ":saleTel", ":saleTaxID", ":saleBank", ":saleAcount", ":saleMan"})
                    insert.bindValue(QLatin1String(f), CorpInfo.corpName);
                insert.bindValue(QStringLiteral(":kpdName"), CorpInfo.kpdName);
                insert.exec();
                advance.bindValue(QStringLiteral(":next"), QStringLiteral("%1").arg(k + 1, 8, 10, QLatin1Char('0')));
                advance.bindValue(QStringLiteral(":roll"), roll);
                advance.exec();
            }
        });
        state.PauseTiming();
        ResetOpenRoll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BlankRunFloor)->Apply(Sizes)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

// --- Issuing one invoice (not in the table: it must not get slower) -------------------------

void BM_Issue(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    ResetOpenRoll();
    qputenv("TALLYRA_PRINT_PDF", c.File(QStringLiteral("invoice.pdf")).toUtf8());
    TScriptedDialogs dialogs;
    auto frame = std::make_unique<TframeInput>();
    int car = 0;
    for (auto _ : state) {
        state.PauseTiming();
        frame->InitInvoice();
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
        state.ResumeTiming();
        // As "存盘打印" runs it: the checks, then the transaction.
        if (!frame->CheckInput(QStringLiteral("0")) || !frame->SaveAndPrint(QStringLiteral("0"))) {
            state.SkipWithError("the issue failed");
            break;
        }
    }
    frame.reset();
    ResetOpenRoll();
}
BENCHMARK(BM_Issue)->Apply(Sizes)->Iterations(20)->Repetitions(3)->ReportAggregatesOnly(true);

// --- The sales list exported: 20,000 rows, and 100,000 at 1,000,000 --------------------------

struct TExportCase {
    int point;
    int month;
};
TExportCase ExportCase(int rows) { return rows == 20000 ? TExportCase{1, kBusyMonth} : TExportCase{2, scale::kBigExportMonth}; }

QString ExportFile(const TContext& c, int rows) { return c.File(QStringLiteral("export-%1.xml").arg(rows)); }

void BM_Export(benchmark::State& state)
{
    const int rows = int(state.range(1));
    const TExportCase e = ExportCase(rows);
    TContext c(int(state.range(0)), After(e.month));
    CorpInfo.kpdName = scale::Point(e.point);
    CorpInfo.flag = QStringLiteral("否");
    TScriptedDialogs dialogs;
    TfrmExportSaleData window;
    window.show();
    for (auto _ : state) {
        window.QuerySales();
        window.edtPath->setText(ExportFile(c, rows));
        window.ExportToFile();
        if (dialogs.Texts().constLast() != QStringLiteral("导出数据成功！！")) {
            state.SkipWithError("the list was not exported");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(ExportFile(c, rows)).size());
}
BENCHMARK(BM_Export)
    ->Args({100000, 20000})
    ->Args({1000000, 20000})
    ->Args({1000000, 100000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The list's rows read and a file of the exported size written.
void BM_ExportFloor(benchmark::State& state)
{
    const int rows = int(state.range(1));
    const TExportCase e = ExportCase(rows);
    TContext c(int(state.range(0)), After(e.month));
    QFile exported(ExportFile(c, rows));
    if (!exported.open(QIODevice::ReadOnly)) {
        state.SkipWithError("run BM_Export first");
        return;
    }
    const QByteArray bytes = exported.readAll();
    int n = 0;
    for (auto _ : state) {
        n = Walk(QStringLiteral("select * from SaleDetail where kpdName = :point and substr(kprq,1,7) = :month"),
                 {{QStringLiteral("point"), scale::Point(e.point)}, {QStringLiteral("month"), scale::MonthKey(e.month)}});
        SaveWholeFile(c.File(QStringLiteral("floor.xml")), [&](QIODevice& f) { return f.write(bytes) == bytes.size(); });
    }
    state.counters["rows"] = n;
}
BENCHMARK(BM_ExportFloor)
    ->Args({100000, 20000})
    ->Args({1000000, 20000})
    ->Args({1000000, 100000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// --- That list imported at the head point, its rows taken away first ------------------------

qint64 PeakKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6));
    return 0;
}

qint64 ResetPeak()
{
    malloc_trim(0);  // freed memory would be taken again without raising the peak
    std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6));
    return 0;
}

void DeleteExported(const TExportCase& e)
{
    DataBase->Run(QStringLiteral("delete from SaleDetail where kpdName = :point and substr(kprq,1,7) = :month"),
                  {{QStringLiteral("point"), scale::Point(e.point)}, {QStringLiteral("month"), scale::MonthKey(e.month)}});
}

// The exported rows kept aside on the connection, and put back whatever the import did. The
// temporary table goes with the connection (a statement the window left active would refuse
// the drop).
struct TKeptRows {
    TExportCase e;
    QString table;
    explicit TKeptRows(const TExportCase& c) : e(c)
    {
        static int count = 0;
        table = QStringLiteral("temp.kept%1").arg(++count);
        DataBase->Run(QStringLiteral("create table %1 as select * from SaleDetail where kpdName = :point and "
                                     "substr(kprq,1,7) = :month")
                          .arg(table),
                      {{QStringLiteral("point"), scale::Point(e.point)}, {QStringLiteral("month"), scale::MonthKey(e.month)}});
    }
    ~TKeptRows()
    {
        try {
            DeleteExported(e);
            DataBase->Run(QStringLiteral("insert into SaleDetail select * from %1").arg(table));
        } catch (const ETallyraError& error) {
            std::fprintf(stderr, "the exported rows were not put back: %s\n", qPrintable(error.Text()));
        }
    }
};

void BM_Import(benchmark::State& state)
{
    const int rows = int(state.range(1));
    const TExportCase e = ExportCase(rows);
    TContext c(int(state.range(0)));
    QFile exported(ExportFile(c, rows));
    if (!exported.open(QIODevice::ReadOnly)) {
        state.SkipWithError("run BM_Export first");
        return;
    }
    const QByteArray list = exported.readAll();
    const QString name = QStringLiteral("%1年%2月%3销售清单.xml")
                             .arg(scale::MonthKey(e.month).left(4), scale::MonthKey(e.month).mid(5), scale::Point(e.point));
    TKeptRows kept(e);
    TScriptedDialogs dialogs;
    TfrmImportSaleData window;
    window.show();
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        DeleteExported(e);
        c.f.folder.WriteFile(name, list);
        window.edtPath->setText(c.File(name));
        const qint64 before = ResetPeak();
        state.ResumeTiming();
        window.LoadFile();
        window.SaveSales();
        state.PauseTiming();
        peak = std::max(peak, (PeakKb() - before) / 1024.0);
        if (dialogs.Texts().constLast() != QStringLiteral("保存销售数据成功!")) {
            state.SkipWithError(qPrintable(QStringLiteral("the list was not stored: ") + dialogs.Texts().join(u'|')));
            break;
        }
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_Import)
    ->Args({100000, 20000})
    ->Args({1000000, 20000})
    ->Args({1000000, 100000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The file read and parsed as XML, and its rows inserted by a prepared statement.
void BM_ImportFloor(benchmark::State& state)
{
    const int rows = int(state.range(1));
    const TExportCase e = ExportCase(rows);
    TContext c(int(state.range(0)));
    TKeptRows kept(e);
    std::vector<std::vector<QVariant>> stored;
    for (QSqlQuery q = Open(QStringLiteral("select * from ") + kept.table); q.next();) {
        std::vector<QVariant> row;
        for (int i = 0; i < q.record().count(); ++i)
            row.push_back(q.value(i));
        stored.push_back(std::move(row));
    }
    const QString file = ExportFile(c, rows);
    if (stored.empty()) {
        state.SkipWithError("no rows to import");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        DeleteExported(e);
        state.ResumeTiming();
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        pugi::xml_document doc;
        if (!doc.load_buffer(bytes.constData(), size_t(bytes.size()))) {
            state.SkipWithError("run BM_Export first");
            break;
        }
        DataBase->RunInTransaction([&] {
            QSqlQuery insert(DataBase->Connection());
            QString marks = QStringLiteral("?");
            for (size_t i = 1; i < stored.front().size(); ++i)
                marks += QStringLiteral(",?");
            insert.prepare(QStringLiteral("insert into SaleDetail values(") + marks + u')');
            for (const auto& row : stored) {
                for (size_t i = 0; i < row.size(); ++i)
                    insert.bindValue(int(i), row[i]);
                insert.exec();
            }
        });
    }
    state.counters["rows"] = double(stored.size());
}
BENCHMARK(BM_ImportFloor)
    ->Args({100000, 20000})
    ->Args({1000000, 20000})
    ->Args({1000000, 100000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// --- The list of the 50k month opened into the sheet view -----------------------------------

QString BusyList(TContext& c)
{
    const QString file = c.File(QStringLiteral("报表/busy.xlsx"));
    if (!QFileInfo::exists(file))
        MakeSaleList(c.File(QStringLiteral("报表/")), QStringLiteral("busy.xlsx"), scale::MonthKey(kBusyMonth), true);
    return file;
}

void BM_OpenIntoView(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    const QString file = BusyList(c);
    TSheetView view;
    view.resize(1000, 700);
    for (auto _ : state)
        if (!view.LoadFile(file)) {
            state.SkipWithError("the list did not open");
            break;
        }
    state.counters["rows"] = view.model()->rowCount();
}
BENCHMARK(BM_OpenIntoView)->Apply(Sizes)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

// The file read, its sheet inflated and parsed.
void BM_OpenIntoViewFloor(benchmark::State& state)
{
    TContext c(int(state.range(0)));
    const QString file = BusyList(c);
    for (auto _ : state) {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        const std::vector<TZipEntry> entries = ReadZip(f.readAll(), file);
        for (const TZipEntry& entry : entries)
            if (entry.name.startsWith("xl/worksheets/")) {
                pugi::xml_document doc;
                benchmark::DoNotOptimize(doc.load_buffer(entry.data.constData(), size_t(entry.data.size())));
            }
    }
}
BENCHMARK(BM_OpenIntoViewFloor)->Apply(Sizes)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

// --- The declaration of the 50k month written and shown -------------------------------------

void BM_DeclarationShown(benchmark::State& state)
{
    TContext c(int(state.range(0)), After(kBusyMonth));
    TScriptedDialogs dialogs;
    TfrmMKICData window;
    window.show();
    for (auto _ : state) {
        if (QFileInfo::exists(window.edtFName->text()))
            dialogs.Answer(mbYes);
        window.btnExport->click();
    }
    if (window.WebBrowser1->model()->rowCount() < 50000)
        state.SkipWithError("the declaration was not shown");
}
BENCHMARK(BM_DeclarationShown)->Apply(Sizes)->Iterations(2)->Repetitions(3)->ReportAggregatesOnly(true);

// Its rows queried, the file's bytes written whole, read back and decoded: the export's floor
// writes its file too.
void BM_DeclarationShownFloor(benchmark::State& state)
{
    TContext c(int(state.range(0)), After(kBusyMonth));
    QFile declaration(AppPath + DeclarationFileName(CorpInfo.corpTaxID, Now().date()));
    if (!declaration.open(QIODevice::ReadOnly)) {
        state.SkipWithError("run BM_DeclarationShown first");
        return;
    }
    const QByteArray bytes = declaration.readAll();
    const QString file = c.File(QStringLiteral("floor.xml"));
    for (auto _ : state) {
        Walk(DeclarationStatement(), {{QStringLiteral("normal"), QStringLiteral("0")},
                                      {QStringLiteral("negative"), QStringLiteral("2")},
                                      {QStringLiteral("month"), scale::MonthKey(kBusyMonth)}});
        QSaveFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        out.commit();
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(FromGbk(f.readAll()));
    }
}
BENCHMARK(BM_DeclarationShownFloor)->Apply(Sizes)->Iterations(2)->Repetitions(3)->ReportAggregatesOnly(true);

// Prints every action beside its floor once the runs are done.
class TPairingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                m_medians.emplace_back(r.run_name.str(), r.GetAdjustedRealTime());
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-40s %12s %12s %8s\n", "action", "ms", "floor ms", "ratio");
        for (const auto& [name, ms] : m_medians) {
            if (name.find("Floor") != std::string::npos)
                continue;
            std::string floorName = name;
            const size_t slash = floorName.find('/');
            floorName.insert(slash == std::string::npos ? floorName.size() : slash, "Floor");
            double floor = 0;
            for (const auto& [other, value] : m_medians)
                if (other == floorName)
                    floor = value;
            if (floor > 0)
                std::printf("%-40s %12.1f %12.1f %8.2f\n", name.c_str(), ms, floor, ms / floor);
            else
                std::printf("%-40s %12.1f %12s %8s\n", name.c_str(), ms, "-", "-");
        }
    }

private:
    std::vector<std::pair<std::string, double>> m_medians;
};
}  // namespace

int main(int argc, char** argv)
{
    // Fresh pages cost this virtual machine several microseconds each, and more when the host
    // is busy: large blocks stay in the heap between runs, so that a run measures the work.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetClock([] { return FixedNow(); });
    InstallFontSubstitutions();
    InstallPrintTemplateStore();
    benchmark::Initialize(&argc, argv);
    TPairingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    Folders().clear();
    return 0;
}

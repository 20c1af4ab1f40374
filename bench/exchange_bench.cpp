// The exchange lists and the declaration view at scale, each beside its floor in the same run:
// a sales list of 20,000 and 100,000 invoices exported (floor: the bare statement stepped
// through SQLite and the file's bytes written), a 20,000-row list loaded into the sales window
// and the wrong kind of list refused by the stock window, 100,000 rows imported (floor: the
// file read and the bare existence test and insert of every row in one transaction), and the
// declaration of 50,000 invoices shown (floor: the file read and decoded).
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"
#include "core/WholeFile.h"
#include "exchange/DeclarationXml.h"
#include "reports/TfrmExportSaleData.h"
#include "reports/TfrmImportInvData.h"
#include "reports/TfrmImportSaleData.h"
#include "reports/TfrmMKICData.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <sqlite3.h>

namespace {
const QString kListName = QStringLiteral("2026年02月一店销售清单.xml");

// Peak resident memory since the last reset, in bytes; the reset makes the peak the current size.
qint64 ResetPeak()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}
qint64 Peak() { return ResetPeak(); }

// monthRows invoices of the point 一店 in February 2026 (every other one valid), and 100,000
// of another point in 2025; every column filled as the clerk fills it.
void SeedInvoices(const TTestProgramFolder& folder, const QString& code, int monthRows,
                  const QString& point = QStringLiteral("一店"))
{
    folder.Sql(
        QStringLiteral(
            "insert into baseinfo(corpName,corpTaxID,kpdName,flag) values('某汽车销售有限公司','330100000000001','@POINT@','否');"
            "begin;"
            "with recursive n(i) as (select 0 union all select i+1 from n where i < @LAST@) "
            "insert into SaleDetail select "
            "case when i < @MONTH@ then printf('2026-02-%02d %02d:%02d:00', i % 28 + 1, i % 24, i % 60) "
            "else printf('2025-%02d-10 10:00:00', i % 12 + 1) end, "
            "'@CODE@' || printf('%05d', i / 10000), printf('%08d', i + 1), '广州某''某\"贸易<有限>公司', '44010119900101123X', "
            "'轿车', "
            "'某牌SV7180', '广州', 'WAB' || i, NULL, '', 'ENG' || i, printf('LSVAB2B3%09d', i), '壹', 125000.5, 'HT' || i, "
            "'上牌', NULL, '', 100, 0, 0, 'RMB壹拾贰万伍仟壹佰圆伍角', 125100.5, '某汽车销售有限公司', '某市某路1号', "
            "'0571-8800000', '330100000000001', '某银行某支行', '6222000000000001', '张三', '王出纳', '0', "
            "case when i < @MONTH@ then (i % 2) || '' else '0' end, '', '', '某汽车制造厂', "
            "case when i < @MONTH@ then '一店' else '二店' end from n;commit;")
            .replace(QStringLiteral("@CODE@"), code)
            .replace(QStringLiteral("@POINT@"), point)
            .replace(QStringLiteral("@MONTH@"), QString::number(monthRows))
            .replace(QStringLiteral("@LAST@"), QString::number(monthRows + 100000 - 1)));
}

// The sales list of a branch with rows invoices of the month, as its export window writes it.
QByteArray SalesList(int rows, const QString& code = QStringLiteral("0440019"))
{
    TTestProgramFolder branch;
    SeedInvoices(branch, code, rows);
    TTestContext context(branch);
    TScriptedDialogs dialogs;
    TfrmExportSaleData window;
    window.show();
    window.QuerySales();
    window.edtPath->setText(branch.File(kListName));
    window.ExportToFile();
    return branch.ReadFile(kListName);
}

void BM_ExportSales(benchmark::State& state)
{
    TTestProgramFolder folder;
    SeedInvoices(folder, QStringLiteral("0440019"), static_cast<int>(state.range(0)));
    TTestContext context(folder);
    TScriptedDialogs dialogs;
    TfrmExportSaleData window;
    window.show();
    const QString path = folder.File(kListName);
    ResetPeak();
    qint64 queryMs = 0, writeMs = 0, runs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        window.QuerySales();
        queryMs += t.restart();
        window.edtPath->setText(path);
        window.ExportToFile();
        writeMs += t.elapsed();
        ++runs;
        state.PauseTiming();
        if (dialogs.Texts().constLast() != QStringLiteral("导出数据成功！！") || QFile(path).size() < state.range(0) * 500) {
            state.SkipWithError("the list was not exported");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(QFile(path).size());
    state.counters["peakMB"] = static_cast<double>(Peak()) / 1e6;
    state.counters["queryMs"] = static_cast<double>(queryMs) / std::max<qint64>(runs, 1);
    state.counters["writeMs"] = static_cast<double>(writeMs) / std::max<qint64>(runs, 1);
}
BENCHMARK(BM_ExportSales)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The statement stepped through SQLite with every column read, and as many bytes as the
// list has written to a file that replaces the old one.
void BM_ExportSalesFloor(benchmark::State& state)
{
    const QByteArray bytes = SalesList(static_cast<int>(state.range(0)));
    TTestProgramFolder folder;
    SeedInvoices(folder, QStringLiteral("0440019"), static_cast<int>(state.range(0)));
    sqlite3* db = nullptr;
    sqlite3_open_v2(folder.DatabaseFile().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select * from SaleDetail where kpdName = ? and substr(kprq,1,7) = ? order by kprq,fpdm,fphm", -1, &st,
                       nullptr);
    qint64 cells = 0;
    for (auto _ : state) {
        sqlite3_reset(st);
        sqlite3_bind_text(st, 1, "一店", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 2, "2026-02", -1, SQLITE_STATIC);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0, n = sqlite3_column_count(st); c < n; ++c)
                cells += sqlite3_column_bytes(st, c) + (sqlite3_column_text(st, c) != nullptr);
        SaveWholeFile(folder.File(kListName), [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    benchmark::DoNotOptimize(cells);
}
BENCHMARK(BM_ExportSalesFloor)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// A sales list of 20,000 rows loaded into the sales window's grid.
void BM_LoadSalesList(benchmark::State& state)
{
    const QByteArray list = SalesList(20000);
    TTestProgramFolder head;
    SeedInvoices(head, QStringLiteral("0550019"), 0, QStringLiteral("总部"));
    TTestContext context(head);
    TScriptedDialogs dialogs;
    head.WriteFile(kListName, list);
    for (auto _ : state) {
        TfrmImportSaleData window;
        window.edtPath->setText(head.File(kListName));
        window.LoadFile();
        if (window.Rows().rows.size() != 20000) {
            state.SkipWithError("the list was not loaded");
            break;
        }
    }
}
BENCHMARK(BM_LoadSalesList)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);

// The same list in the stock window: the wrong kind, refused.
void BM_LoadSalesListAsStock(benchmark::State& state)
{
    const QByteArray list = SalesList(20000);
    TTestProgramFolder head;
    SeedInvoices(head, QStringLiteral("0550019"), 0, QStringLiteral("总部"));
    TTestContext context(head);
    TScriptedDialogs dialogs;
    const QString name = QStringLiteral("2026年02月一店库存清单.xml");
    head.WriteFile(name, list);
    for (auto _ : state) {
        TfrmImportInvData window;
        window.edtPath->setText(head.File(name));
        window.LoadFile();
        if (window.Rows().rows.size() != 0 || !dialogs.Texts().constLast().startsWith(QStringLiteral("导入数据失败"))) {
            state.SkipWithError("the list was not refused");
            break;
        }
    }
}
BENCHMARK(BM_LoadSalesListAsStock)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);

// The hostile list of 2,000 columns and 40,000 empty rows in the sales window: refused by its
// columns before any row.
void BM_LoadHostileWideList(benchmark::State& state)
{
    TTestProgramFolder head;
    SeedInvoices(head, QStringLiteral("0550019"), 0, QStringLiteral("总部"));
    TTestContext context(head);
    TScriptedDialogs dialogs;
    QFile::copy(QStringLiteral(TALLYRA_HOSTILE_FIXTURES "/rs_2000cols_40000emptyrows.xml"), head.File(kListName));
    const qint64 before = ResetPeak();
    for (auto _ : state) {
        TfrmImportSaleData window;
        window.edtPath->setText(head.File(kListName));
        window.LoadFile();
        if (!dialogs.Texts().constLast().endsWith(QStringLiteral("文件的列多于102列"))) {
            state.SkipWithError("the list was not refused");
            break;
        }
    }
    state.counters["peakDeltaMB"] = static_cast<double>(Peak() - before) / 1e6;
}
BENCHMARK(BM_LoadHostileWideList)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

// 100,000 rows loaded and stored among 100,000 other invoices, and taken out again.
void BM_ImportSales(benchmark::State& state)
{
    const QByteArray list = SalesList(100000);
    TTestProgramFolder head;
    SeedInvoices(head, QStringLiteral("0550019"), 0, QStringLiteral("总部"));
    TTestContext context(head);
    TScriptedDialogs dialogs;
    TfrmImportSaleData window;
    window.show();
    qint64 peak = 0;
    qint64 loadMs = 0, saveMs = 0, runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        head.WriteFile(kListName, list);
        window.edtPath->setText(head.File(kListName));
        const qint64 before = ResetPeak();
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        window.LoadFile();
        loadMs += t.restart();
        window.SaveSales();
        saveMs += t.elapsed();
        ++runs;
        state.PauseTiming();
        peak = std::max(peak, Peak() - before);
        const int stored = DataBase->Scalar(QStringLiteral("select count(*) from SaleDetail where fpdm like '0440019%'")).toInt();
        if (dialogs.Texts().constLast() != QStringLiteral("保存销售数据成功!") || stored != 100000) {
            state.SkipWithError("the list was not stored");
            break;
        }
        DataBase->Run(QStringLiteral("delete from SaleDetail where fpdm like '0440019%'"));
        state.ResumeTiming();
    }
    state.counters["peakDeltaMB"] = static_cast<double>(peak) / 1e6;
    state.counters["loadMs"] = static_cast<double>(loadMs) / std::max<qint64>(runs, 1);
    state.counters["storeMs"] = static_cast<double>(saveMs) / std::max<qint64>(runs, 1);
    state.counters["fileMB"] = static_cast<double>(list.size()) / 1e6;
}
BENCHMARK(BM_ImportSales)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3)->ReportAggregatesOnly(true);

// The file read, and each row's existence test and insert with values at hand, in one
// transaction through SQLite itself.
void BM_ImportSalesFloor(benchmark::State& state)
{
    TTestProgramFolder branch;
    SeedInvoices(branch, QStringLiteral("0440019"), 100000);
    branch.WriteFile(kListName, SalesList(100000));
    TTestProgramFolder head;
    SeedInvoices(head, QStringLiteral("0550019"), 0, QStringLiteral("总部"));
    // The rows as text, read once from the branch.
    std::vector<std::vector<std::string>> rows;
    std::vector<int> types;
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(branch.DatabaseFile().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "select * from SaleDetail where kpdName='一店' order by kprq,fpdm,fphm", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> row;
            types.assign(static_cast<size_t>(sqlite3_column_count(st)), 0);
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto* t = sqlite3_column_text(st, c);
                row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    sqlite3* db = nullptr;
    sqlite3_open(head.DatabaseFile().toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA cache_size=-65536;", nullptr, nullptr, nullptr);
    sqlite3_stmt* find = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "select 1 from SaleDetail where fpdm = ? and fphm = ? limit 1", -1, &find, nullptr);
    std::string marks = "insert into SaleDetail values (?";
    for (size_t i = 1; i < rows[0].size(); ++i)
        marks += ",?";
    marks += ")";
    sqlite3_prepare_v2(db, marks.c_str(), -1, &insert, nullptr);
    for (auto _ : state) {
        QFile file(branch.File(kListName));
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.readAll().size());
        sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
        for (const auto& row : rows) {
            sqlite3_reset(find);
            sqlite3_bind_text(find, 1, row[1].c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(find, 2, row[2].c_str(), -1, SQLITE_STATIC);
            if (sqlite3_step(find) == SQLITE_ROW)
                continue;
            sqlite3_reset(insert);
            for (size_t c = 0; c < row.size(); ++c)
                sqlite3_bind_text(insert, static_cast<int>(c) + 1, row[c].c_str(), -1, SQLITE_STATIC);
            sqlite3_step(insert);
        }
        sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_exec(db, "delete from SaleDetail where fpdm like '0440019%'", nullptr, nullptr, nullptr);
        state.ResumeTiming();
    }
    sqlite3_finalize(find);
    sqlite3_finalize(insert);
    sqlite3_close(db);
}
BENCHMARK(BM_ImportSalesFloor)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3)->ReportAggregatesOnly(true);

// The declaration of 50,000 invoices, written once.
struct TDeclaration {
    TTestProgramFolder folder;
    QString file;
    TDeclaration()
    {
        SeedInvoices(folder, QStringLiteral("0440019"), 100000);
        TTestContext context(folder);
        TScriptedDialogs dialogs;
        TfrmMKICData window;
        window.show();
        window.WriteDeclarationXml();
        file = window.edtFName->text();
    }
};

void BM_DeclarationShown(benchmark::State& state)
{
    TDeclaration declaration;
    TTestContext context(declaration.folder);
    TScriptedDialogs dialogs;
    TfrmMKICData window;
    window.show();
    for (auto _ : state) {
        window.ShowFile(declaration.file);
        // Laid out and painted as the clerk gets it.
        window.WebBrowser1->doItemsLayout();
        window.WebBrowser1->viewport()->repaint();
    }
    state.counters["lines"] = window.WebBrowser1->model()->rowCount();
    state.counters["bytes"] = static_cast<double>(QFile(declaration.file).size());
}
BENCHMARK(BM_DeclarationShown)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

// The file read and decoded from GBK.
void BM_DeclarationShownFloor(benchmark::State& state)
{
    TDeclaration declaration;
    for (auto _ : state) {
        QFile file(declaration.file);
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(FromGbk(file.readAll())->size());
    }
}
BENCHMARK(BM_DeclarationShownFloor)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);
}  // namespace

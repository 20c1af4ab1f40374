// The hostile inputs of tests/fixtures/hostile that once took seconds or gigabytes: 5,000
// chained formulas opened, saved and viewed; a merge over the whole sheet printed; a
// 40,000-character item printed; a template file of 200,000 nested elements refused.
// peak_rss_mb is the process's peak: run one benchmark alone (--benchmark_filter) to read it
// as that benchmark's.
#include "ProgramFolder.h"
#include "printing/PrintDevice.h"
#include "printing/PrintInvoice.h"
#include "printing/TPrintTemplate.h"
#include "workbook/PrintSheet.h"
#include "workbook/TSheetView.h"
#include "workbook/TWorkbook.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {
double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

class TPdfTarget {
public:
    TPdfTarget() { qputenv(kPrintPdfVariable, File().toUtf8()); }
    ~TPdfTarget() { qunsetenv(kPrintPdfVariable); }
    QString File() const { return m_dir.filePath(QStringLiteral("out.pdf")); }

private:
    QTemporaryDir m_dir;
};

const QString kChain = HostileFixture(QStringLiteral("wb_formula_chain5000.xlsx"));

void BM_OpenChain5000WithValues(benchmark::State& state)
{
    for (auto _ : state) {
        TWorkbook book;
        book.Open(kChain);
        const TSheetContent content = book.Content();
        if (content.cells.empty() || book.Value(10, 1).text != QStringLiteral("5000")) {
            state.SkipWithError("wrong value");
            break;
        }
    }
}
BENCHMARK(BM_OpenChain5000WithValues)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_SaveChain5000(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        TWorkbook book;
        book.Open(kChain);
        book.SaveAs(dir.filePath(QStringLiteral("chain.xlsx")));
    }
}
BENCHMARK(BM_SaveChain5000)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_ViewChain5000(benchmark::State& state)
{
    TSheetView view;
    for (auto _ : state)
        if (!view.LoadFile(kChain)) {
            state.SkipWithError(view.ErrorText().toStdString().c_str());
            break;
        }
}
BENCHMARK(BM_ViewChain5000)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_PrintMergeOverTheWholeSheet(benchmark::State& state)
{
    TPdfTarget pdf;
    const QString file = HostileFixture(QStringLiteral("wb_merge_A1-XFD1048576_print.xlsx"));
    for (auto _ : state)
        PrintSheet(file, nullptr);
    state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_PrintMergeOverTheWholeSheet)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_PrintFortyThousandCharacterItem(benchmark::State& state)
{
    TPrintTemplate t;
    QFile f(HostileFixture(QStringLiteral("tpl_print_long_disname_40k.xml")));
    QString error;
    if (!t.LoadFromXML(f, &error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    TPdfTarget pdf;
    PrintTestPage(t, 0, 0, &error);  // the fonts load once, as for the first invoice
    for (auto _ : state)
        if (!PrintTestPage(t, 0, 0, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
}
BENCHMARK(BM_PrintFortyThousandCharacterItem)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_RefuseTemplateOf200000NestedElements(benchmark::State& state)
{
    QByteArray nested = "<?xml version=\"1.0\" encoding=\"gb2312\"?><InvoiceTemplate>";
    nested += QByteArray("<a>").repeated(200000) + QByteArray("</a>").repeated(200000) + "</InvoiceTemplate>";
    for (auto _ : state) {
        QBuffer buffer(&nested);
        TPrintTemplate t;
        QString error;
        if (t.LoadFromXML(buffer, &error) || !error.startsWith(QStringLiteral("元素嵌套超过"))) {
            state.SkipWithError("not refused for its depth");
            break;
        }
    }
}
BENCHMARK(BM_RefuseTemplateOf200000NestedElements)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
}  // namespace

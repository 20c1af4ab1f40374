// Printing one filled invoice into a PDF, and loading the default template at start-up.
#include "PdfPrint.h"
#include "ProgramFolder.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "printing/PrintInvoice.h"
#include "printing/TPrintTemplate.h"

#include <QFile>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {
void BM_PrintInvoiceToPdf(benchmark::State& state)
{
    TPrintTemplate t = DefaultTemplate();
    FillInvoice(t);
    TPdfPrint pdf;
    QString error;
    if (!PrintInvoice(t, 0, 0, &error)) {  // loads the fonts once, as the first invoice does
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        if (!PrintInvoice(t, 2, -1, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
}
BENCHMARK(BM_PrintInvoiceToPdf)->Unit(benchmark::kMillisecond)->Iterations(50)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LoadDefaultTemplateFromDB(benchmark::State& state)
{
    TTestProgramFolder folder;
    QFile::copy(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml"), folder.File(QStringLiteral("PrintTemplate.xml")));
    InitGlobals();  // imports the default template
    TPrintTemplate t;
    for (auto _ : state) {
        if (!t.LoadFromDB(*DataBase) || t.Count() != 32) {
            state.SkipWithError("the default template did not load");
            break;
        }
    }
    FreeGlobals();
}
BENCHMARK(BM_LoadDefaultTemplateFromDB)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(500)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
}  // namespace

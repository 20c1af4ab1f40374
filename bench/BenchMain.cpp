// The main of the benchmarks that drive windows or print: offscreen, a fixed clock, and the
// fonts and template store the program installs at start-up.
#include "ProgramFolder.h"
#include "core/Clock.h"
#include "printing/PrintInvoice.h"

#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetClock([] { return FixedNow(); });
    InstallFontSubstitutions();
    InstallPrintTemplateStore();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

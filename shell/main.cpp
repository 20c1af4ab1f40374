#include "ShellEntry.h"
#include "TApplication.h"
#include "widgets/QtDialogs.h"
#include "printing/PrintInvoice.h"

int main(int argc, char* argv[])
{
    TApplication app(argc, argv);
    LoadQtTranslations();
    InstallFontSubstitutions();
    InstallPrintTemplateStore();
    TQtDialogs dialogs;
    SetDialogs(&dialogs);
    const int code = ProgramEntry(ShellEntryWindows());
    SetDialogs(nullptr);
    return code;
}

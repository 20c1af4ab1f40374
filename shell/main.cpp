#include "QtDialogs.h"
#include "ShellEntry.h"
#include "TApplication.h"

int main(int argc, char* argv[])
{
    TApplication app(argc, argv);
    TQtDialogs dialogs;
    SetDialogs(&dialogs);
    const int code = ProgramEntry(ShellEntryWindows());
    SetDialogs(nullptr);
    return code;
}

#include "QtDialogs.h"
#include "core/Entry.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TQtDialogs dialogs;
    SetDialogs(&dialogs);
    const int code = ProgramEntry(TEntryWindows{});
    SetDialogs(nullptr);
    return code;
}

#include "ShellEntry.h"

#include "TfrmLogin.h"
#include "TfrmMain.h"
#include "TfrmUserAccept.h"
#include "widgets/Pictures.h"

#include <QApplication>
#include <memory>

bool RunUserAccept()
{
    TfrmUserAccept frmUserAccept;
    return frmUserAccept.exec() == QDialog::Accepted;
}

bool RunLogin()
{
    TfrmLogin frmLogin;
    return frmLogin.exec() == QDialog::Accepted;
}

int RunMainWindow()
{
    // Freed after the message loop: its destruction frees the context.
    auto main = std::make_unique<TfrmMain>();
    main->show();
    main->activateWindow();  // the login box had the focus; the clerk goes on here
    const int code = QApplication::exec();
    main.reset();
    return code;
}

TEntryWindows ShellEntryWindows()
{
    // Every window of the program, also one without a parent (the start-up windows, a box
    // with no active window), carries the program's icon rather than the toolkit's.
    QApplication::setWindowIcon(ProgramIcon());
    return TEntryWindows{RunUserAccept, RunLogin, RunMainWindow};
}

#pragma once
#include "core/Entry.h"

// The windows of the program's start: the usage agreement, the login and the main window.
TEntryWindows ShellEntryWindows();

bool RunUserAccept();
bool RunLogin();
int RunMainWindow();

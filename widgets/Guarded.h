#pragma once
#include "core/Dialogs.h"

#include <exception>
#include <utility>

// Runs an event handler of a window: no error may leave it into Qt's event loop. The error is
// shown in an error box and the window stays usable.
template <typename F>
void Guarded(F&& handler)
{
    try {
        std::forward<F>(handler)();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

// Prepares a window on its first show, guarded; a later show (the window restored in the
// workspace) keeps what the clerk entered. shown is the window's own flag.
template <typename F>
void GuardedOnFirstShow(bool& shown, F&& prepare)
{
    if (!std::exchange(shown, true))
        Guarded(std::forward<F>(prepare));
}

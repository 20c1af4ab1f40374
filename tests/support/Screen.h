#pragma once
#include <functional>

class QWidget;

// Shows a window and waits until it is the active one, so that it takes the focus.
bool ShowActive(QWidget* window);
// Frees the windows that closed (their deferred deletion).
void FreeClosedWindows();
// Runs trigger; once a modal window it puts up is the active one, runs act on it and closes it
// if act did not. False when trigger put none up.
bool WhileModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& act);
// The darkest grey a widget draws: that of its text, when the text is drawn in black.
int Darkest(QWidget* widget);

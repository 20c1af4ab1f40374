#pragma once
#include <QString>
#include <functional>

class QWidget;

// Types text into a widget key by key, as the clerk would; unlike QTest::keyClicks it also
// types characters outside ASCII (each as one key press carrying that text).
void TypeText(QWidget* widget, const QString& text);

// Runs action on the modal window once one is up.
void WhenModal(std::function<void(QWidget*)> action);

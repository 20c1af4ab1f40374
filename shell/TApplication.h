#pragma once
#include <QApplication>
#include <functional>

// Delivers one event; an error that escapes it is shown in an error box and the event counts
// as not handled, so the program keeps running.
bool DeliverGuarded(const std::function<bool()>& deliver);

// The program's application object: no error escapes an event handler.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

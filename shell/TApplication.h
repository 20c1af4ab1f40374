#pragma once
#include <QApplication>
#include <functional>

// Qt's own dialogs and buttons (the file and folder dialogs, the workspace's window menus) in
// Chinese: installs "qtbase_zh_CN" from folder (empty: Qt's translations folder). When the file
// is missing, says so once on the error output and returns false; they stay in English.
bool LoadQtTranslations(const QString& folder = {});

// Delivers one event; an error that escapes it is shown in an error box and the event counts
// as not handled, so the program keeps running.
bool DeliverGuarded(const std::function<bool()>& deliver);

// The program's application object: no error escapes an event handler.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

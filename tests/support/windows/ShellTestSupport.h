#pragma once
#include "Typing.h"  // WhenModal

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;
class TfrmMain;

// Frees the windows that closed (their deferred deletion).
void FreeClosedWindows();
// Runs trigger; once a modal window it puts up is the active one, runs act on it and closes it
// if act did not. False when trigger put none up.
bool WhileModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& act);
// Shows a window and waits until it is the active one, so that it takes the focus.
bool ShowActive(QWidget* window);

// Catches what the program asks the desktop to open, instead of starting a browser.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    TUrlCatcher();
    ~TUrlCatcher() override;
    // From now on nothing can be opened, as when no browser starts.
    void Refuse();
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url);
};

// The captions of the visible top-level menus and the names of the visible tool-bar actions.
QStringList VisibleMenus(const TfrmMain& main);
QStringList VisibleMenuEntries(const TfrmMain& main, int menu);
QStringList VisibleToolButtons(const TfrmMain& main);
// The class names of the open work windows.
QStringList OpenClasses(const TfrmMain& main);
// The raw text of today's log file.
QString RawLog(const QString& programFolder);
// Its lines, without the time stamps of the lines that start an entry.
QStringList LogLines(const QString& programFolder);

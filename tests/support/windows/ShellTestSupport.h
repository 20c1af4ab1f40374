#pragma once
#include "Screen.h"
#include "Typing.h"  // WhenModal

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;
class TfrmMain;

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

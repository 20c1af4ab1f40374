#include "ShellTestSupport.h"

#include "core/Clock.h"
#include "core/TLog.h"
#include "shell/TfrmMain.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolBar>

TUrlCatcher::TUrlCatcher()
{
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
}

TUrlCatcher::~TUrlCatcher()
{
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void TUrlCatcher::Open(const QUrl& url) { Urls.append(url); }

void TUrlCatcher::Refuse()
{
    // A handler that cannot be called: QDesktopServices::openUrl then reports failure.
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Unreachable");
}

QStringList VisibleMenus(const TfrmMain& main)
{
    QStringList menus;
    for (QMenu* m : main.MenuItems)
        if (m->menuAction()->isVisible())
            menus << m->title();
    return menus;
}

QStringList VisibleMenuEntries(const TfrmMain& main, int menu)
{
    QStringList entries;
    for (QAction* a : main.MenuItems.at(menu)->actions())
        if (a->isVisible())
            entries << a->text();
    return entries;
}

QStringList VisibleToolButtons(const TfrmMain& main)
{
    QApplication::processEvents();  // the bar lays its buttons out after a change
    QStringList names;
    for (QAction* a : main.ActionToolBar1->actions())
        if (a->isVisible() && main.ActionToolBar1->widgetForAction(a) && main.ActionToolBar1->widgetForAction(a)->isVisible())
            names << a->objectName();
    return names;
}

QStringList OpenClasses(const TfrmMain& main)
{
    QStringList names;
    for (QWidget* w : main.OpenChildren())
        names << QString::fromLatin1(w->metaObject()->className());
    return names;
}

QString RawLog(const QString& programFolder)
{
    QFile f(TLog::FileNameFor(programFolder + QStringLiteral("log/"), Now().date()));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList LogLines(const QString& programFolder)
{
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d:"));
    QStringList lines = RawLog(programFolder).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        line.remove(stamp);
    return lines;
}

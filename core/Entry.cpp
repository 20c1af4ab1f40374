#include "Entry.h"

#include "Dialogs.h"
#include "Errors.h"
#include "Globals.h"

#include <QDir>
#include <QStandardPaths>

TSingleInstance::TSingleInstance(const QString& folder)
{
    const QString dir = folder.isEmpty() ? DefaultFolder() : folder;
    QDir().mkpath(dir);
    m_lock = std::make_unique<QLockFile>(QDir(dir).filePath(QStringLiteral("Corvane.lock")));
    m_lock->setStaleLockTime(0);  // only a dead owner makes a lock stale, never its age
    m_acquired = m_lock->tryLock(0);
}

QString TSingleInstance::DefaultFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

int ProgramEntry(const TEntryWindows& windows, const QString& lockFolder)
{
    TSingleInstance guard(lockFolder);
    if (!guard.Acquired()) {
        ShowInfo(QStringLiteral("Tallyra已运行！！"));
        return 0;
    }
    try {
        InitGlobals();
    } catch (const ETallyraError& e) {
        ShowError(e.Text());
        FreeGlobals();
        return 1;
    }
    if (CorpInfo.corpTaxID.isEmpty() && windows.UserAccept && !windows.UserAccept()) {
        FreeGlobals();
        return 0;
    }
    if (windows.Login && !windows.Login()) {
        FreeGlobals();
        return 0;
    }
    if (!windows.RunMain) {
        FreeGlobals();
        return 0;
    }
    return windows.RunMain();
}

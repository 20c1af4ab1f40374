#include "TLog.h"

#include "Clock.h"
#include "Dialogs.h"
#include "Errors.h"
#include "Globals.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>
#include <utility>

TLog::TLog(const QString& folder) : m_folder(folder)
{
    if (!m_folder.endsWith(u'/'))
        m_folder += u'/';
    m_fileName = FileNameFor(m_folder, Now().date());
    OpenLogFile();
}

TLog::~TLog()
{
    try {
        CloseLog();
    } catch (const ETallyraError&) {
        // nothing more can be reported at this point
    }
}

QString TLog::FileNameFor(const QString& folder, const QDate& day)
{
    return folder + QStringLiteral("Log%1.Log").arg(day.day(), 2, 10, QLatin1Char('0'));
}

bool TLog::IsToday(const QString& name) const
{
    const QFileInfo info(name);
    return info.exists() && info.lastModified().date() == Now().date();
}

void TLog::OpenLogFile()
{
    if (m_file.isOpen())
        m_file.close();
    if (QFileInfo::exists(m_fileName) && !IsToday(m_fileName))
        m_fileName = FileNameFor(m_folder, Now().date());
    m_file.setFileName(m_fileName);
    const bool continueToday = IsToday(m_fileName);
    const auto mode = continueToday ? (QIODevice::WriteOnly | QIODevice::Append) : (QIODevice::WriteOnly | QIODevice::Truncate);
    if (!m_file.open(mode))
        throw EInOutError(QStringLiteral("无法打开日志文件 %1：%2").arg(m_fileName, m_file.errorString()));
    WriteLine(continueToday ? QStringLiteral("Log file Opened") : QStringLiteral("Log file Create"));
}

void TLog::WriteLog(const QString& message)
{
    if (!IsToday(m_fileName)) {
        m_fileName = FileNameFor(m_folder, Now().date());
        OpenLogFile();
    }
    WriteLine(message);
}

void TLog::WriteLine(const QString& message)
{
    const QDateTime now = Now();
    const QByteArray line = (DateTimeText(now) + u':' + message).toUtf8() + "\r\n";
    if (!m_file.isOpen() || m_file.write(line) != line.size() || !m_file.flush() || ::fdatasync(m_file.handle()) != 0)
        throw EInOutError(QStringLiteral("无法写入日志文件 %1：%2").arg(m_fileName, m_file.errorString()));
    // The day test reads the file's time: keep it on the program's clock.
    m_file.setFileTime(now, QFileDevice::FileModificationTime);
}

void TLog::CloseLog()
{
    if (!m_file.isOpen())
        return;
    WriteLog(QStringLiteral("file closed!"));
    m_file.close();
}

void WriteLogLine(const QString& message)
{
    if (!SysLog)
        return;
    try {
        SysLog->WriteLog(message);
    } catch (const ETallyraError& e) {
        if (!std::exchange(SysLog->m_failureReported, true))
            ShowError(e.Text());
    }
}

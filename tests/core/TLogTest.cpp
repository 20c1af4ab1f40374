#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TLog.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
QString LogFolder(const TTestProgramFolder& f) { return f.Path() + QStringLiteral("log/"); }

QStringList Messages(const QString& file)
{
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    QStringList out;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        out << line.mid(20);
    return out;
}

void SetNow(const QDateTime& t)
{
    SetClock([t] { return t; });
}
}  // namespace

TEST(TLog, NewFileThenContinuedTheSameDayThenClosed)
{
    TTestProgramFolder folder;
    const QString file = TLog::FileNameFor(LogFolder(folder), FixedNow().date());
    EXPECT_TRUE(file.endsWith(QStringLiteral("/log/Log05.Log")));
    {
        TLog log(LogFolder(folder));
        log.WriteLog(QStringLiteral("打开企业基本信息"));
    }
    {
        TLog log(LogFolder(folder));
    }
    EXPECT_EQ(Messages(file),
              (QStringList{"Log file Create", "打开企业基本信息", "file closed!", "Log file Opened", "file closed!"}));
    const QByteArray bytes = folder.ReadFile(QStringLiteral("log/Log05.Log"));
    EXPECT_TRUE(bytes.startsWith("2026-03-05 14:07:09:Log file Create\r\n"));
    EXPECT_TRUE(bytes.endsWith("file closed!\r\n"));
}

TEST(TLog, TheFileOfTheSameDayLastMonthIsEmptied)
{
    TTestProgramFolder folder;
    SetNow(QDateTime(QDate(2026, 2, 5), QTime(9, 0)));
    {
        TLog log(LogFolder(folder));
        log.WriteLog(QStringLiteral("old line"));
    }
    SetNow(FixedNow());
    TLog log(LogFolder(folder));
    log.WriteLog(QStringLiteral("new line"));
    EXPECT_EQ(Messages(log.FileName()), (QStringList{"Log file Create", "new line"}));
}

TEST(TLog, TheFirstLineAfterMidnightGoesToTheNextDaysFile)
{
    TTestProgramFolder folder;
    SetNow(QDateTime(QDate(2026, 3, 5), QTime(23, 59, 59)));
    auto log = std::make_unique<TLog>(LogFolder(folder));
    log->WriteLog(QStringLiteral("before"));
    SetNow(QDateTime(QDate(2026, 3, 6), QTime(0, 0, 1)));
    log->WriteLog(QStringLiteral("after"));
    log.reset();
    EXPECT_EQ(Messages(folder.File(QStringLiteral("log/Log05.Log"))), (QStringList{"Log file Create", "before"}));
    EXPECT_EQ(Messages(folder.File(QStringLiteral("log/Log06.Log"))), (QStringList{"Log file Create", "after", "file closed!"}));
}

TEST(TLog, AMissingFolderOrAVanishedFileRaises)
{
    TTestProgramFolder folder(true, false);
    EXPECT_THROW(TLog(folder.Path() + QStringLiteral("log/")), EInOutError);

    TTestProgramFolder other;
    TLog log(LogFolder(other));
    ASSERT_TRUE(QFile::remove(log.FileName()));
    ASSERT_TRUE(QFile::remove(other.Path() + QStringLiteral("log")) ||
                QDir(other.Path() + QStringLiteral("log")).removeRecursively());
    // The open handle still writes to the unlinked file; the next day needs a new file and fails.
    SetNow(FixedNow().addDays(1));
    EXPECT_THROW(log.WriteLog(QStringLiteral("x")), EInOutError);
}

TEST(WriteLogLine, AnUnwritableLogIsReportedOnceAndNeverRaises)
{
    TTestProgramFolder folder;
    TTestContext context(folder);
    TScriptedDialogs dialogs;
    WriteLogLine(QStringLiteral("written"));
    EXPECT_EQ(folder.LogMessages().last(), QStringLiteral("written"));
    EXPECT_TRUE(dialogs.Shown().empty());

    ASSERT_TRUE(folder.BreakLog());
    EXPECT_NO_THROW(WriteLogLine(QStringLiteral("lost 1")));
    EXPECT_NO_THROW(WriteLogLine(QStringLiteral("lost 2")));
    EXPECT_NO_THROW(WriteLogLine(QStringLiteral("lost 3")));
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Error);
    EXPECT_TRUE(dialogs.Shown()[0].text.contains(SysLog->FileName())) << dialogs.Shown()[0].text.toStdString();
}

TEST(WriteLogLine, WithoutALogWritesAndShowsNothing)
{
    TTestProgramFolder folder;
    TScriptedDialogs dialogs;
    ASSERT_FALSE(SysLog);
    EXPECT_NO_THROW(WriteLogLine(QStringLiteral("nowhere")));
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_FALSE(QFileInfo::exists(TLog::FileNameFor(LogFolder(folder), FixedNow().date())));
}

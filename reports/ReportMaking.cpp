#include "ReportMaking.h"

#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TLog.h"
#include "workbook/TWorkbook.h"

#include <QDate>
#include <QFileInfo>

QString MonthTitle(const QString& month)
{
    return QDate::fromString(month + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd")).toString(QStringLiteral("yyyy年MM月"));
}

QString FileNameFault(const QString& name)
{
    if (name.contains(u'/'))
        return QStringLiteral("/");
    if (name.contains(QChar(0)))
        return QStringLiteral("NUL");
    if (name.contains(QLatin1String("..")))
        return QStringLiteral("..");
    return {};
}

QString ReportPath(const QString& folder, const QString& name)
{
    const QString file = folder + name;
    if (const QString fault = FileNameFault(name); !fault.isEmpty())
        throw EWorkbookError(file, QStringLiteral("文件名不能含有“%1”").arg(fault));
    return file;
}

bool ReadyToMakeReport(const QString& templateFile, const QString& reportFile)
{
    if (!QFileInfo::exists(templateFile)) {
        Dialogs().MessageBox(TMsgKind::Confirmation, CaptionOf(TMsgKind::Confirmation), QStringLiteral("模板文件不存在！"), mbOK);
        return false;
    }
    if (QFileInfo::exists(reportFile)) {
        if (!AskYesNo(reportFile + QStringLiteral("已经存在，是否重新生成？？"), TMsgKind::Confirmation, mbNo))
            return false;
        WriteLogLine(QStringLiteral("重新生成报表:") + reportFile);
    }
    return true;
}

void ReportMakeFailure(const QString& message, const QString& reason, const QString& reportFile)
{
    ShowWarning(message + reason);
    WriteLogLine(message + reason + u' ' + reportFile);
}

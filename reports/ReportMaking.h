#pragma once
#include <QString>

// What the report windows share when they make a workbook from its template.

// "yyyy年MM月" of a month key "yyyy-MM".
QString MonthTitle(const QString& month);

// What a name cannot hold to be used in a file name: "/", "NUL" or ".."; empty when it can.
QString FileNameFault(const QString& name);

// folder + name, the file a report is made into; raises EWorkbookError for a name that would
// point into another folder.
QString ReportPath(const QString& folder, const QString& name);

// A line in the log; a log that cannot be written never turns a made report into a failure.

// Before a report is made from templateFile into reportFile: false after "模板文件不存在！"
// when the template is missing, or when the clerk answers "否" to replacing an existing
// report ("是" is logged as "重新生成报表:" + reportFile).
bool ReadyToMakeReport(const QString& templateFile, const QString& reportFile);

// A report that could not be made: message + reason shown as a warning, and logged with the
// report's file.
void ReportMakeFailure(const QString& message, const QString& reason, const QString& reportFile);

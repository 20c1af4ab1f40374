#include "OpenpyxlReader.h"

#include <QJsonDocument>
#include <QProcess>
#include <cstdio>

QJsonObject ReadWithOpenpyxl(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(TALLYRA_REPORTS_TESTS "/read_workbook.py"), file});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        std::fprintf(stderr, "openpyxl: %s\n", p.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QJsonObject OpenpyxlCell(const QJsonObject& sheet, const QString& name)
{
    return sheet.value(QStringLiteral("cells")).toObject().value(name).toObject();
}

#include "OpenpyxlReader.h"

#include <QJsonDocument>
#include <QProcess>
#include <cstdio>

namespace {
QJsonObject Run(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(TALLYRA_READ_WORKBOOK)} + arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        std::fprintf(stderr, "openpyxl: %s\n", p.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}
}  // namespace

QJsonObject ReadWithOpenpyxl(const QString& file) { return Run({file}); }
QJsonObject ReadValuesWithOpenpyxl(const QString& file) { return Run({QStringLiteral("--values"), file}); }

QJsonObject OpenpyxlCell(const QJsonObject& sheet, const QString& name)
{
    return sheet.value(QStringLiteral("cells")).toObject().value(name).toObject();
}

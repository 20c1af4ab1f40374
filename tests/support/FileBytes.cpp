#include "FileBytes.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <stdexcept>

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString PythonOn(const QByteArray& file, const QString& script)
{
    QTemporaryDir dir;
    WriteBytes(dir.filePath(QStringLiteral("file.xml")), file);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, dir.filePath(QStringLiteral("file.xml"))});
    if (!python.waitForFinished(20000) || python.exitCode() != 0)
        return QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

#pragma once
#include <QByteArray>
#include <QString>

// The bytes of a file; "<missing>" when it cannot be read.
QByteArray FileBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// What /usr/bin/python3 prints running script on a file of these bytes (its first argument);
// the error output when the script fails.
QString PythonOn(const QByteArray& file, const QString& script);

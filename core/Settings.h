#pragma once
#include <QString>
#include <QVariant>

// The settings file AppPath + "Corvane.ini".
QString SettingsFileName();

// An integer key; the default when the file, the key or a whole number is missing.
int ReadIniInteger(const QString& section, const QString& key, int defaultValue);
// A text key; the default only when the key is missing (a present empty key stays empty).
QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue);
// Writes the keys of one section; false unless the file was really written.
bool WriteIniValues(const QString& section, const QList<QPair<QString, QVariant>>& values);

#include "Settings.h"

#include "Globals.h"
#include "TextCodec.h"

#include <QFileInfo>
#include <QSettings>

QString SettingsFileName() { return AppPath + QStringLiteral("Corvane.ini"); }

int ReadIniInteger(const QString& section, const QString& key, int defaultValue)
{
    QSettings ini(SettingsFileName(), QSettings::IniFormat);
    const QString text = ini.value(section + u'/' + key).toString();
    // Strict: " 12 " or "+5" are not integers here.
    const QString digits = text.startsWith(u'-') ? text.mid(1) : text;
    bool ok = IsDigits(digits);
    const int v = ok ? text.toInt(&ok) : 0;
    return ok ? v : defaultValue;
}

QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue)
{
    QSettings ini(SettingsFileName(), QSettings::IniFormat);
    const QString name = section + u'/' + key;
    return ini.contains(name) ? ini.value(name).toString() : defaultValue;
}

bool WriteIniValues(const QString& section, const QList<QPair<QString, QVariant>>& values)
{
    const QString file = SettingsFileName();
    const QFileInfo info(file);
    // QSettings reports nothing when the folder or the file is read-only.
    if (info.exists() ? !info.isWritable() : !QFileInfo(info.absolutePath()).isWritable())
        return false;
    QSettings ini(file, QSettings::IniFormat);
    for (const auto& [key, value] : values)
        ini.setValue(section + u'/' + key, value);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

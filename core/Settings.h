#pragma once
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <optional>

class QIODevice;

// A settings file as the lines it is made of: "[section]" lines and "key=value" lines under
// them. The value is the rest of its line after the first "=", without the blanks around it:
// no quoting, no lists, no escapes, no comments inside. Section and key names compare without
// regard to case; the first of several equal sections or keys counts. Every line is kept as it
// was read, so writing the text back changes only the keys that were set.
class TIniText {
public:
    // Reads the whole device; false when it cannot be read.
    bool Read(QIODevice& device);
    // Writes every line; false when the device did not take all of them.
    bool Write(QIODevice& device) const;

    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Replaces the key's value on its own line, or adds the key at the end of its section, or
    // the section with the key at the end of the text.
    void SetValue(const QString& section, const QString& key, const QString& value);

    QByteArray Bytes() const;

private:
    struct TLine {
        QByteArray text;  // without its end
        QByteArray end;   // "\r\n", "\n"; for the last line also "\r" or nothing
    };
    enum class TKind { Other, Section, Key };
    static TKind Parse(const QByteArray& text, QString& name, QByteArray* value = nullptr, int* valueAt = nullptr);
    // The lines of the section: from the line after its header to the next header; -1 when absent.
    int SectionStart(const QString& section) const;
    int SectionEnd(int start) const;
    QByteArray LineEnd() const;
    // Gives a line that another one is to follow an end of its own.
    void EndLine(TLine& line) const;

    QList<TLine> m_lines;
};

// The settings file AppPath + "Corvane.ini".
QString SettingsFileName();

// An integer key; the default when the file, the key or a whole number is missing.
int ReadIniInteger(const QString& section, const QString& key, int defaultValue);
// A text key; the default only when the key is missing (a present empty key stays empty).
QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue);
// Sets keys of one section and keeps every other byte of the file; the file is replaced
// whole or not at all. False unless it was written.
bool WriteIniValues(const QString& section, const QList<QPair<QString, QVariant>>& values);

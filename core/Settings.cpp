#include "Settings.h"

#include "Globals.h"
#include "PubFun.h"
#include "TextCodec.h"
#include "WholeFile.h"

#include <QFile>
#include <QFileInfo>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray TrimmedBytes(const QByteArray& bytes)
{
    qsizetype from = 0;
    qsizetype to = bytes.size();
    while (from < to && IsBlank(bytes.at(from)))
        ++from;
    while (to > from && IsBlank(bytes.at(to - 1)))
        --to;
    return bytes.mid(from, to - from);
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

const QByteArray kByteOrderMark("\xEF\xBB\xBF");
}  // namespace

bool TIniText::Read(QIODevice& device)
{
    QByteArray bytes;
    if (!ReadDevice(device, bytes))
        return false;
    m_lines.clear();
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', at);
        TLine line;
        if (newline < 0) {
            line.text = bytes.mid(at);
            at = bytes.size();
            // A last line ended by a lone CR: that CR is its end, not part of its value.
            if (line.text.endsWith('\r')) {
                line.text.chop(1);
                line.end = QByteArray("\r");
            }
        } else {
            const bool crlf = newline > at && bytes.at(newline - 1) == '\r';
            line.text = bytes.mid(at, newline - at - (crlf ? 1 : 0));
            line.end = crlf ? QByteArray("\r\n") : QByteArray("\n");
            at = newline + 1;
        }
        m_lines.append(line);
    }
    return true;
}

QByteArray TIniText::Bytes() const
{
    QByteArray bytes;
    for (const TLine& line : m_lines)
        bytes += line.text + line.end;
    return bytes;
}

bool TIniText::Write(QIODevice& device) const
{
    const QByteArray bytes = Bytes();
    return device.write(bytes) == bytes.size();
}

TIniText::TKind TIniText::Parse(const QByteArray& text, QString& name, QByteArray* value, int* valueAt)
{
    qsizetype i = text.startsWith(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (i < text.size() && IsBlank(text.at(i)))
        ++i;
    if (i == text.size() || text.at(i) == ';')
        return TKind::Other;
    if (text.at(i) == '[') {
        const qsizetype close = text.indexOf(']', i + 1);
        name = QString::fromUtf8(TrimmedBytes(text.mid(i + 1, close < 0 ? -1 : close - i - 1)));
        return TKind::Section;
    }
    const qsizetype equals = text.indexOf('=', i);
    if (equals < 0)
        return TKind::Other;
    name = QString::fromUtf8(TrimmedBytes(text.mid(i, equals - i)));
    if (name.isEmpty())
        return TKind::Other;
    qsizetype from = equals + 1;
    while (from < text.size() && IsBlank(text.at(from)))
        ++from;
    if (value)
        *value = TrimmedBytes(text.mid(from));
    if (valueAt)
        *valueAt = static_cast<int>(from);
    return TKind::Key;
}

int TIniText::SectionStart(const QString& section) const
{
    QString name;
    for (int i = 0; i < m_lines.size(); ++i)
        if (Parse(m_lines[i].text, name) == TKind::Section && SameName(name, section))
            return i + 1;
    return -1;
}

int TIniText::SectionEnd(int start) const
{
    QString name;
    for (int i = start; i < m_lines.size(); ++i)
        if (Parse(m_lines[i].text, name) == TKind::Section)
            return i;
    return static_cast<int>(m_lines.size());
}

QByteArray TIniText::LineEnd() const
{
    for (const TLine& line : m_lines)
        if (!line.end.isEmpty())
            return line.end == "\r" ? QByteArray("\r\n") : line.end;
    return QByteArray("\n");
}

void TIniText::EndLine(TLine& line) const
{
    // A lone CR only ends the last line; with a line after it, it becomes CR LF (adding, not
    // changing, a byte), so that it reads back as the same line end.
    if (line.end.isEmpty())
        line.end = LineEnd();
    else if (line.end == "\r")
        line.end = QByteArray("\r\n");
}

std::optional<QString> TIniText::Value(const QString& section, const QString& key) const
{
    const int start = SectionStart(section);
    if (start < 0)
        return std::nullopt;
    QString name;
    QByteArray value;
    for (int i = start, end = SectionEnd(start); i < end; ++i)
        if (Parse(m_lines[i].text, name, &value) == TKind::Key && SameName(name, key))
            return QString::fromUtf8(value);
    return std::nullopt;
}

void TIniText::SetValue(const QString& section, const QString& key, const QString& value)
{
    const QByteArray end = LineEnd();
    const QByteArray keyLine = key.toUtf8() + '=' + value.toUtf8();
    int start = SectionStart(section);
    if (start < 0) {
        if (!m_lines.isEmpty())
            EndLine(m_lines.last());
        m_lines.append({'[' + section.toUtf8() + ']', end});
        m_lines.append({keyLine, end});
        return;
    }
    const int stop = SectionEnd(start);
    int last = start - 1;  // the header
    QString name;
    for (int i = start; i < stop; ++i) {
        int valueAt = 0;
        const TKind kind = Parse(m_lines[i].text, name, nullptr, &valueAt);
        if (kind == TKind::Key && SameName(name, key)) {
            m_lines[i].text = m_lines[i].text.left(valueAt) + value.toUtf8();
            return;
        }
        if (!TrimmedBytes(m_lines[i].text).isEmpty())
            last = i;
    }
    // After the section's last line, before the blank lines that part it from the next one.
    EndLine(m_lines[last]);
    m_lines.insert(last + 1, {keyLine, end});
}

QString SettingsFileName() { return AppPath + QStringLiteral("Corvane.ini"); }

namespace {
// The settings file's text; empty when there is no file or it cannot be read.
TIniText ReadSettings()
{
    TIniText ini;
    QFile file(SettingsFileName());
    if (file.open(QIODevice::ReadOnly) && !ini.Read(file))
        return TIniText();
    return ini;
}
}  // namespace

int ReadIniInteger(const QString& section, const QString& key, int defaultValue)
{
    const QString text = ReadSettings().Value(section, key).value_or(QString());
    // Strict: "+5" or "1.5" are not integers here.
    const QString digits = text.startsWith(u'-') ? text.mid(1) : text;
    bool ok = IsDigits(digits);
    const int v = ok ? text.toInt(&ok) : 0;
    return ok ? v : defaultValue;
}

QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue)
{
    return ReadSettings().Value(section, key).value_or(defaultValue);
}

bool WriteIniValues(const QString& section, const QList<QPair<QString, QVariant>>& values)
{
    const QString fileName = SettingsFileName();
    TIniText ini;
    if (QFileInfo::exists(fileName)) {
        // A file that cannot be read is not replaced by one that has lost its other keys.
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly) || !ini.Read(file))
            return false;
    }
    for (const auto& [key, value] : values)
        ini.SetValue(section, key, value.toString());
    try {
        SaveWholeFile(fileName, [&](QIODevice& out) { return ini.Write(out); });
    } catch (const ETallyraError&) {
        return false;
    }
    return true;
}

#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// GBK, the code page of the files other systems read (template file, declaration file).
// Encoding refuses characters that GBK lacks instead of writing a substitute.
std::optional<QByteArray> ToGbk(const QString& text);
std::optional<QString> FromGbk(const QByteArray& bytes);
std::optional<QByteArray> GbkToUtf8(const QByteArray& bytes);

// Length of a text in GBK bytes: every character outside ASCII takes two.
int GbkLength(const QString& text);

// Delphi's Trim: drops blanks and control characters (<= U+0020) at both ends.
QString TrimBlanks(const QString& text);

// True when text is one or more ASCII digits and nothing else.
bool IsDigits(const QString& text);

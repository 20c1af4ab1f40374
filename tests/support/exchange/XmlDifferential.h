#pragma once
// Reads one document with TXmlScanner and with QXmlStreamReader (namespaces on) and tells where
// they part: one refuses what the other reads, or they read different elements, attributes or
// text. Shared by the differential test and the fuzzing harnesses, so it needs only Qt Core and
// the exchange readers.
#include <QByteArray>
#include <QString>
#include <vector>

struct TXmlEvent {
    char kind;     // '<' start, '>' end, 'n' namespace declaration, '@' attribute, 't' text
    QString name;  // {namespace}local, or the prefix of a declaration
    QString value;
    bool operator==(const TXmlEvent&) const = default;
};

struct TXmlReading {
    bool wellFormed = false;
    QString error;
    std::vector<TXmlEvent> events;  // up to the error, if any
    bool badName = false;           // an element or attribute name XML does not allow
};

TXmlReading ReadWithScanner(const QByteArray& bytes);
TXmlReading ReadWithQt(const QByteArray& bytes);

// Empty when the two agree, or part only where the scanner departs on purpose (see the .cpp);
// else the first difference, readable.
QString XmlDisagreement(const QByteArray& bytes);

// Empty when the record-set reader refuses the bytes, or reads a document both XML readers read
// alike and what it read, where the format carries it, writes and reads back the same; else the
// fault. read tells whether the record-set reader took them.
QString RecordsetFault(const QByteArray& bytes, bool* read = nullptr);

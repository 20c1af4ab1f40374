// Any input: the record-set reader refuses it, or reads what the XML readers agree is
// well-formed, and what it read and can write reads back the same.
#include "XmlDifferential.h"
#include "exchange/RecordsetXmlReader.h"
#include "exchange/RecordsetXmlWriter.h"

#include <QBuffer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Found(const char* what, const QString& detail = {})
{
    std::fprintf(stderr, "%s %s\n", what, detail.toUtf8().constData());
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TRecordset rs;
    try {
        rs = ReadRecordsetXml(bytes);
    } catch (const ERecordsetFormat&) {
        return 0;
    }
    if (const QString why = XmlDisagreement(bytes); !why.isEmpty())
        Found("read a record set where the XML readers disagree:", why);
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    try {
        WriteRecordsetXml(out, rs);
    } catch (const ERecordsetFormat&) {
        return 0;  // a value or name the format cannot carry
    }
    TRecordset back;
    try {
        back = ReadRecordsetXml(written);
    } catch (const ERecordsetFormat& e) {
        Found("the reader refused what the writer wrote:", e.Text());
    }
    if (back.fields.size() != rs.fields.size())
        Found("the columns changed on the way back");
    for (size_t f = 0; f < rs.fields.size(); ++f)
        if (back.fields[f].name != rs.fields[f].name)
            Found("a column name changed on the way back:", rs.fields[f].name);
    if (!(back.rows == rs.rows))
        Found("the rows changed on the way back");
    return 0;
}

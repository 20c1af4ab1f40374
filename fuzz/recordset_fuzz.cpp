// Any input: the record-set reader refuses it, or reads what the XML readers agree is
// well-formed, and what it read and can write reads back the same.
#include "XmlDifferential.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const QString why = RecordsetFault(bytes); !why.isEmpty()) {
        std::fprintf(stderr, "%s\n", why.toUtf8().constData());
        std::abort();
    }
    return 0;
}

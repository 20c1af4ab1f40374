// Any input: the scanner and QXmlStreamReader refuse it both, or read the same elements,
// attributes and text. A disagreement aborts, and libFuzzer keeps the input.
#include "XmlDifferential.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString why = XmlDisagreement(bytes);
    if (!why.isEmpty()) {
        std::fprintf(stderr, "disagreement: %s\n", why.toUtf8().constData());
        std::abort();
    }
    return 0;
}

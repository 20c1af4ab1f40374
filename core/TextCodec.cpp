#include "TextCodec.h"

#include <cerrno>
#include <iconv.h>

namespace {
std::optional<QByteArray> Convert(const char* to, const char* from, const QByteArray& in)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    char* dst = out.data();
    size_t dstLeft = static_cast<size_t>(out.size());
    bool ok = true;
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                const qsizetype used = dst - out.data();
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = static_cast<size_t>(out.size() - used);
                continue;
            }
            ok = false;  // EILSEQ or EINVAL: a character the target cannot hold, or a cut sequence
            break;
        }
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(dst - out.data());
    return out;
}
}  // namespace

std::optional<QByteArray> ToGbk(const QString& text) { return Convert("GBK", "UTF-8", text.toUtf8()); }

std::optional<QByteArray> GbkToUtf8(const QByteArray& bytes) { return Convert("UTF-8", "GBK", bytes); }

std::optional<QString> FromGbk(const QByteArray& bytes)
{
    auto utf8 = GbkToUtf8(bytes);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
}

int GbkLength(const QString& text)
{
    int n = 0;
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            continue;  // a surrogate pair is one character
        n += c.unicode() < 0x80 ? 1 : 2;
    }
    return n;
}

QString TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size() - 1;
    while (first <= last && text.at(first).unicode() <= 0x20)
        ++first;
    while (last >= first && text.at(last).unicode() <= 0x20)
        --last;
    return text.mid(first, last - first + 1);
}

bool IsDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

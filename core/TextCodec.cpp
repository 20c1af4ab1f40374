#include "TextCodec.h"

#include <cerrno>
#include <iconv.h>

#include <algorithm>

namespace {
// One iconv conversion of the bytes [from, to), appended to out; false on a byte sequence the
// target cannot hold or a cut one.
bool ConvertRun(iconv_t cd, const char* from, const char* to, QByteArray& out)
{
    char* src = const_cast<char*>(from);
    size_t srcLeft = static_cast<size_t>(to - from);
    const qsizetype start = out.size();
    out.resize(start + static_cast<qsizetype>(srcLeft) * 2 + 16);
    char* dst = out.data() + start;
    size_t dstLeft = static_cast<size_t>(out.size() - start);
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
            if (errno != E2BIG)
                return false;  // EILSEQ or EINVAL
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = static_cast<size_t>(out.size() - used);
        }
    }
    out.resize(dst - out.data());
    return true;
}

class TIconv {
public:
    TIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~TIconv()
    {
        if (ok())
            iconv_close(m_cd);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};
}  // namespace

// ASCII is the same byte in UTF-8 and GBK, and these files are mostly ASCII: it is copied, and
// only the runs between go through iconv.
std::optional<QByteArray> ToGbk(const QString& text)
{
    TIconv cd("GBK", "UTF-8");
    if (!cd.ok())
        return std::nullopt;
    QByteArray out;
    out.reserve(text.size() + 16);
    const QChar* p = text.constData();
    const QChar* const end = p + text.size();
    while (p < end) {
        const QChar* ascii = p;
        while (p < end && p->unicode() < 0x80)
            ++p;
        const qsizetype at = out.size();
        out.resize(at + (p - ascii));
        std::transform(ascii, p, out.data() + at, [](QChar c) { return static_cast<char>(c.unicode()); });
        if (p == end)
            break;
        const QChar* wide = p;
        while (p < end && p->unicode() >= 0x80)
            ++p;
        // toUtf8 would turn a lone surrogate into '?': refused like any character GBK lacks.
        for (const QChar* c = wide; c < p; ++c) {
            if (c->isHighSurrogate() && c + 1 < p && (c + 1)->isLowSurrogate())
                ++c;
            else if (c->isSurrogate())
                return std::nullopt;
        }
        const QByteArray utf8 = QStringView(wide, p).toUtf8();
        if (!ConvertRun(cd.get(), utf8.constData(), utf8.constData() + utf8.size(), out))
            return std::nullopt;
    }
    return out;
}

// In GBK a byte below 0x80 is a character of its own unless it follows a lead byte (81..FE), so a
// non-ASCII run takes each lead byte's following byte with it.
std::optional<QByteArray> GbkToUtf8(const QByteArray& bytes)
{
    TIconv cd("UTF-8", "GBK");
    if (!cd.ok())
        return std::nullopt;
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 2 + 16);
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* ascii = p;
        while (p < end && static_cast<unsigned char>(*p) < 0x80)
            ++p;
        out.append(ascii, p - ascii);
        if (p == end)
            break;
        const char* wide = p;
        while (p < end && static_cast<unsigned char>(*p) >= 0x80) {
            const unsigned char lead = static_cast<unsigned char>(*p);
            p = std::min(p + (lead >= 0x81 && lead <= 0xfe ? 2 : 1), end);  // 0x80 is the euro sign alone
        }
        if (!ConvertRun(cd.get(), wide, p, out))
            return std::nullopt;
    }
    return out;
}

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

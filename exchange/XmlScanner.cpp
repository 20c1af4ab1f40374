#include "XmlScanner.h"

#include <QIODevice>
#include <algorithm>
#include <array>
#include <cstring>

namespace {
constexpr std::string_view kXmlNs = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNs = "http://www.w3.org/2000/xmlns/";

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

bool HasZeroByte(quint64 w) { return ((w - 0x0101010101010101ULL) & ~w & 0x8080808080808080ULL) != 0; }

// How far UTF-8 from s up to n is whole: n, or where an unfinished sequence at the end begins
// (unless atEnd, where it is malformed); nullopt for a NUL (*nul set) or a malformed sequence,
// and with xml for U+FFFE and U+FFFF, which no XML document holds.
std::optional<size_t> Utf8Extent(const unsigned char* s, size_t n, bool atEnd, bool* nul, bool xml = false)
{
    size_t i = 0;
    while (i < n) {
        while (i + 8 <= n) {
            quint64 w;
            std::memcpy(&w, s + i, 8);
            if ((w & 0x8080808080808080ULL) != 0 || HasZeroByte(w))
                break;
            i += 8;
        }
        if (i >= n)
            break;
        const unsigned c = s[i];
        if (c == 0) {
            *nul = true;
            return std::nullopt;
        }
        if (c < 0x80) {
            ++i;
            continue;
        }
        const size_t length = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
        if (length == 0)
            return std::nullopt;
        if (i + length > n)
            return atEnd ? std::nullopt : std::optional<size_t>(i);
        const unsigned c1 = s[i + 1];
        bool ok = c == 0xe0 ? c1 >= 0xa0 : c == 0xed ? c1 <= 0x9f : c == 0xf0 ? c1 >= 0x90 : c == 0xf4 ? c1 <= 0x8f : true;
        for (size_t k = 1; k < length; ++k)
            ok = ok && (s[i + k] & 0xc0) == 0x80;
        if (xml && c == 0xef && c1 == 0xbf && (s[i + 2] & 0xfe) == 0xbe)
            ok = false;
        if (!ok)
            return std::nullopt;
        i += length;
    }
    return n;
}

// Thrown inside the scanner when a token runs past the bytes read so far.
struct TNeedMore {};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsBlank(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return IsBlank(c); });
}

bool IsNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// Past ASCII, the characters a name may start with or hold.
bool IsWideNameChar(char32_t c, bool start)
{
    if ((c >= 0xc0 && c <= 0xd6) || (c >= 0xd8 && c <= 0xf6) || (c >= 0xf8 && c <= 0x2ff) || (c >= 0x370 && c <= 0x37d) ||
        (c >= 0x37f && c <= 0x1fff) || c == 0x200c || c == 0x200d || (c >= 0x2070 && c <= 0x218f) ||
        (c >= 0x2c00 && c <= 0x2fef) || (c >= 0x3001 && c <= 0xd7ff) || (c >= 0xf900 && c <= 0xfdcf) ||
        (c >= 0xfdf0 && c <= 0xfffd) || (c >= 0x10000 && c <= 0xeffff))
        return true;
    return !start && (c == 0xb7 || (c >= 0x300 && c <= 0x36f) || c == 0x203f || c == 0x2040);
}

// The character of well-formed UTF-8 at p and its length.
std::pair<char32_t, size_t> Utf8At(const char* p)
{
    const auto b = [p](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(p[k])); };
    if (b(0) < 0xe0)
        return {((b(0) & 0x1f) << 6) | (b(1) & 0x3f), 2};
    if (b(0) < 0xf0)
        return {((b(0) & 0x0f) << 12) | ((b(1) & 0x3f) << 6) | (b(2) & 0x3f), 3};
    return {((b(0) & 0x07) << 18) | ((b(1) & 0x3f) << 12) | ((b(2) & 0x3f) << 6) | (b(3) & 0x3f), 4};
}

// Checks UTF-8 from s up to n; returns where an unfinished sequence at the end begins (n when
// there is none). A NUL or a malformed sequence refuses the document.
size_t CheckUtf8(const unsigned char* s, size_t n, bool atEnd)
{
    bool nul = false;
    const std::optional<size_t> end = Utf8Extent(s, n, atEnd, &nul, true);
    if (!end)
        throw EXmlFormat(nul ? QStringLiteral("含有NUL字符") : QStringLiteral("不是UTF-8文本"));
    return *end;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

// s with each CR LF and lone CR made one LF, as an XML reader hands text on; with spaces, every
// line end and TAB one space, as in a normalised attribute value.
void AppendLines(std::string& out, std::string_view s, bool spaces = false)
{
    for (size_t at; (at = s.find_first_of(spaces ? "\r\n\t" : "\r")) != std::string_view::npos;) {
        out.append(s.substr(0, at));
        out += spaces ? ' ' : '\n';
        s.remove_prefix(at + (s[at] == '\r' && at + 1 < s.size() && s[at + 1] == '\n' ? 2 : 1));
    }
    out.append(s);
}

bool SameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

size_t LineEnds(const char* from, const char* to)
{
    size_t n = 0;
    while (const void* lf = std::memchr(from, '\n', static_cast<size_t>(to - from))) {
        ++n;
        from = static_cast<const char*>(lf) + 1;
    }
    return n;
}
}  // namespace

// Whole UTF-8 without a NUL.
bool IsUtf8(std::string_view bytes)
{
    bool nul = false;
    return Utf8Extent(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), true, &nul).has_value();
}

TXmlScanner::TToken TXmlScanner::Next()
{
    if (m_pendingEnd) {
        m_pendingEnd = false;
        Pop();
        return TToken::End;
    }
    for (;;) {
        const size_t mark = m_pos;
        try {
            if (m_pos >= m_buf.size()) {
                if (!m_eof && Fill())
                    continue;
                if (m_depth > 0 || !m_rootDone)
                    Fail(QStringLiteral("文件不完整"));
                return TToken::Eof;
            }
            std::optional<TToken> t = Token();
            m_started = true;
            if (t)
                return *t;
        } catch (const TNeedMore&) {
            m_pos = mark;
            // At the end a token gets one more try: text may run to the end of the file.
            if (!Fill() && std::exchange(m_triedAtEnd, true))
                Fail(QStringLiteral("文件不完整"));
        }
    }
}

std::string_view TXmlScanner::NamespaceOf(std::string_view prefix) const
{
    if (prefix == "xml")
        return kXmlNs;
    for (auto b = m_bindings.rbegin(); b != m_bindings.rend(); ++b)
        if (b->first == prefix)
            return b->second;
    return {};
}

std::optional<std::string_view> TXmlScanner::Attribute(std::string_view ns, std::string_view local) const
{
    for (const TXmlAttribute& a : m_attrs) {
        if (a.local != local || a.name == "xmlns" || a.prefix == "xmlns")
            continue;
        if (ns.empty() ? a.prefix.empty() : (!a.prefix.empty() && NamespaceOf(a.prefix) == ns))
            return a.value;
    }
    return std::nullopt;
}

void TXmlScanner::Fail(const QString& why) const
{
    const size_t upTo = std::min(m_pos, m_buf.size());
    const auto line = m_lines + LineEnds(m_buf.data(), m_buf.data() + upTo) + 1;
    throw EXmlFormat(why + QStringLiteral("（文件第%1行）").arg(line));
}

bool TXmlScanner::Fill()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        m_lines += LineEnds(m_buf.data(), m_buf.data() + m_pos);
        m_buf.erase(0, m_pos);
        m_checked -= m_pos;
        m_pos = 0;
    }
    const size_t want = std::max(kChunk, m_buf.size());
    m_raw.resize(want);
    qint64 got = 0;
    while (got < static_cast<qint64>(want)) {
        const qint64 n = m_device.read(m_raw.data() + got, static_cast<qint64>(want) - got);
        if (n < 0)
            throw EInOutError(m_device.errorString());
        if (n == 0)
            break;
        got += n;
    }
    m_read += got;
    if (m_read > m_maxBytes)
        throw EXmlFormat(QStringLiteral("文件太大"));
    std::string_view raw(m_raw.data(), static_cast<size_t>(got));
    if (m_first) {
        m_first = false;
        if (raw.substr(0, 2) == "\xff\xfe" || raw.substr(0, 2) == "\xfe\xff") {
            // The mark is taken off here; a second one is text, which the decoder must not drop.
            m_utf16 = QStringDecoder(raw[0] == '\xff' ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                                     QStringDecoder::Flag::ConvertInitialBom);
            raw.remove_prefix(2);
        } else if (raw.substr(0, 3) == "\xef\xbb\xbf") {
            raw.remove_prefix(3);
        }
    }
    if (got == 0) {
        m_eof = true;
        if (m_utf16 && ((m_read % 2) != 0 || m_highSurrogate != 0))
            throw EXmlFormat(QStringLiteral("不是UTF-16文本"));
        CheckUtf8(reinterpret_cast<const unsigned char*>(m_buf.data()) + m_checked, m_buf.size() - m_checked, true);
        m_checked = m_buf.size();
        return false;
    }
    if (m_utf16) {
        QString text = m_utf16->decode(QByteArrayView(raw.data(), static_cast<qsizetype>(raw.size())));
        if (m_highSurrogate != 0)
            text.prepend(QChar(std::exchange(m_highSurrogate, 0)));
        // The decoder passes unpaired surrogates on, which UTF-8 cannot carry; a pair the read
        // splits waits for its second half.
        if (!text.isEmpty() && text.back().isHighSurrogate()) {
            m_highSurrogate = text.back().unicode();
            text.chop(1);
        }
        for (qsizetype c = 0; c < text.size(); ++c)
            if (text[c].isSurrogate() && !(text[c].isHighSurrogate() && c + 1 < text.size() && text[++c].isLowSurrogate()))
                throw EXmlFormat(QStringLiteral("不是UTF-16文本"));
        if (m_utf16->hasError())
            throw EXmlFormat(QStringLiteral("不是UTF-16文本"));
        m_buf += text.toStdString();
    } else {
        m_buf.append(raw);
    }
    m_checked += CheckUtf8(reinterpret_cast<const unsigned char*>(m_buf.data()) + m_checked, m_buf.size() - m_checked, false);
    return true;
}

char TXmlScanner::At(size_t i) const
{
    if (i >= m_buf.size())
        throw TNeedMore{};
    return m_buf[i];
}

size_t TXmlScanner::Find(std::string_view what, size_t from) const
{
    const size_t at = std::string_view(m_buf).find(what, from);
    if (at == std::string_view::npos)
        throw TNeedMore{};
    return at;
}

bool TXmlScanner::StartsWith(size_t i, std::string_view what) const
{
    for (size_t k = 0; k < what.size(); ++k)
        if (At(i + k) != what[k])
            return false;
    return true;
}

size_t TXmlScanner::Name(size_t i) const
{
    // ASCII names are the rule: a table decides them; past ASCII the character is decoded.
    static const auto ascii = [] {
        std::array<bool, 256> t{};
        for (int c = 0; c < 0x80; ++c)
            t[static_cast<size_t>(c)] = IsNameChar(static_cast<unsigned char>(c));
        return t;
    }();
    const char* p = m_buf.data() + i;
    for (bool start = true;; start = false) {
        const auto c = static_cast<unsigned char>(start ? At(i) : *p);
        if (c < 0x80) {
            if (start ? !IsNameStart(c) : !ascii[c])
                break;
            ++p;
            while (ascii[static_cast<unsigned char>(*p)])
                ++p;
            continue;
        }
        // Checked UTF-8 but for a sequence the buffer cuts short.
        const size_t length = c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
        if (static_cast<size_t>(p - m_buf.data()) + length > m_checked)
            throw TNeedMore{};
        const auto [wide, size] = Utf8At(p);
        if (!IsWideNameChar(wide, start))
            break;
        p += size;
    }
    if (p == m_buf.data() + i)
        Fail(QStringLiteral("名称无效"));
    return End(p);
}

size_t TXmlScanner::Blanks(size_t i) const
{
    const char* p = m_buf.data() + i;
    while (IsBlank(*p))
        ++p;
    return End(p);
}

size_t TXmlScanner::End(const char* p) const
{
    const auto at = static_cast<size_t>(p - m_buf.data());
    if (at >= m_buf.size())
        throw TNeedMore{};
    return at;
}

void TXmlScanner::Split(std::string_view name, std::string_view& prefix, std::string_view& local) const
{
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos) {
        prefix = {};
        local = name;
        return;
    }
    prefix = name.substr(0, colon);
    local = name.substr(colon + 1);
    // The local part must start as a name does: not with a digit, '-', '.' or a combining mark.
    const auto first = local.empty() ? 0 : static_cast<unsigned char>(local[0]);
    if (prefix.empty() || local.empty() || local.find(':') != std::string_view::npos ||
        (first < 0x80 ? !IsNameStart(first) : !IsWideNameChar(Utf8At(local.data()).first, true)))
        Fail(QStringLiteral("名称无效：") + Text(name));
}

void TXmlScanner::Decode(std::string_view raw, std::string& out, TBlanks blanks) const
{
    size_t i = 0;
    while (i < raw.size()) {
        const size_t amp = raw.find('&', i);
        const std::string_view plain = raw.substr(i, amp == std::string_view::npos ? std::string_view::npos : amp - i);
        if (blanks == kKeep)
            out.append(plain);
        else
            AppendLines(out, plain, blanks == kSpaces);
        if (amp == std::string_view::npos)
            return;
        const size_t semi = raw.find(';', amp);
        if (semi == std::string_view::npos)
            Fail(QStringLiteral("引用没有结束"));
        const std::string_view ref = raw.substr(amp + 1, semi - amp - 1);
        i = semi + 1;
        if (ref == "lt")
            out += '<';
        else if (ref == "gt")
            out += '>';
        else if (ref == "amp")
            out += '&';
        else if (ref == "apos")
            out += '\'';
        else if (ref == "quot")
            out += '"';
        else if (!ref.empty() && ref[0] == '#')
            AppendUtf8(out, CharacterReference(ref.substr(1)));
        else
            Fail(QStringLiteral("未定义的实体：") + Text(ref));
    }
}

char32_t TXmlScanner::CharacterReference(std::string_view digits) const
{
    int base = 10;
    if (!digits.empty() && digits[0] == 'x') {
        base = 16;
        digits.remove_prefix(1);
    }
    quint32 v = 0;
    for (const char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            Fail(QStringLiteral("字符引用无效"));
        v = v * static_cast<quint32>(base) + static_cast<quint32>(d);
        if (v > 0x10ffff)
            Fail(QStringLiteral("字符引用无效"));
    }
    if (v == 0 && !digits.empty())
        throw EXmlFormat(QStringLiteral("含有NUL字符"));
    // A reference stands only for a character a document may hold.
    if (digits.empty() || (v < 0x20 && v != '\t' && v != '\n' && v != '\r') || (v >= 0xd800 && v <= 0xdfff) || v == 0xfffe ||
        v == 0xffff)
        Fail(QStringLiteral("字符引用无效"));
    return v;
}

void TXmlScanner::Declaration(std::string_view body) const
{
    // version, then encoding and standalone if given, each as name='value'.
    size_t k = 0;
    const auto blanks = [&] {
        const size_t from = k;
        while (k < body.size() && IsBlank(body[k]))
            ++k;
        return k > from;
    };
    const auto pseudo = [&](std::string_view name) -> std::optional<std::string_view> {
        const size_t at = k;
        if (!blanks() || body.substr(k, name.size()) != name) {
            k = at;
            return std::nullopt;
        }
        k += name.size();
        blanks();
        if (k >= body.size() || body[k] != '=')
            Fail(QStringLiteral("XML声明无效"));
        ++k;
        blanks();
        const char quote = k < body.size() ? body[k] : '\0';
        const size_t close = quote == '\'' || quote == '"' ? body.find(quote, k + 1) : std::string_view::npos;
        if (close == std::string_view::npos)
            Fail(QStringLiteral("XML声明无效"));
        const std::string_view value = body.substr(k + 1, close - k - 1);
        k = close + 1;
        return value;
    };
    // Only 1.0: a later version's line ends and references would read otherwise.
    const std::optional<std::string_view> version = pseudo("version");
    if (version != "1.0")
        Fail(QStringLiteral("XML声明无效"));
    if (const std::optional<std::string_view> encoding = pseudo("encoding")) {
        // Only what the bytes are: UTF-8, or UTF-16 after its mark.
        const bool utf16 =
            SameLetters(*encoding, "utf-16") || SameLetters(*encoding, "utf-16le") || SameLetters(*encoding, "utf-16be");
        if (m_utf16 ? !utf16 : !SameLetters(*encoding, "utf-8"))
            throw EXmlFormat(QStringLiteral("不支持的编码：") + Text(*encoding));
    }
    const std::optional<std::string_view> standalone = pseudo("standalone");
    if (standalone && *standalone != "yes" && *standalone != "no")
        Fail(QStringLiteral("XML声明无效"));
    blanks();
    if (k != body.size())
        Fail(QStringLiteral("XML声明无效"));
}

std::optional<TXmlScanner::TToken> TXmlScanner::Token()
{
    const size_t i = m_pos;
    const bool first = !m_started;
    if (m_buf[i] != '<')
        return Characters(i);
    const char next = At(i + 1);
    if (next == '?') {
        const size_t targetEnd = Name(i + 2);
        const std::string_view target = std::string_view(m_buf).substr(i + 2, targetEnd - i - 2);
        const size_t end = Find("?>", targetEnd);
        if (end != targetEnd && !IsBlank(m_buf[targetEnd]))
            Fail(QStringLiteral("处理指令无效"));
        if (target.find(':') != std::string_view::npos || (SameLetters(target, "xml") && (target != "xml" || !first)))
            Fail(QStringLiteral("处理指令无效"));
        if (target == "xml")
            Declaration(std::string_view(m_buf).substr(targetEnd, end - targetEnd));
        m_pos = end + 2;
        return std::nullopt;
    }
    if (next == '!') {
        if (StartsWith(i, "<!--")) {
            // No "--" inside a comment, nor a "-" just before its end.
            const size_t dashes = Find("--", i + 4);
            if (At(dashes + 2) != '>')
                Fail(QStringLiteral("注释无效"));
            m_pos = dashes + 3;
            return std::nullopt;
        }
        if (StartsWith(i, "<![CDATA[")) {
            const size_t end = Find("]]>", i + 9);
            if (m_depth == 0)
                Fail(QStringLiteral("根元素之外有文字"));
            m_text = std::string_view(m_buf).substr(i + 9, end - i - 9);
            if (m_text.find('\r') != std::string_view::npos) {
                m_decoded.clear();
                AppendLines(m_decoded, m_text);
                m_text = m_decoded;
            }
            m_pos = end + 3;
            return TToken::Text;
        }
        if (StartsWith(i, "<!DOCTYPE"))
            throw EXmlFormat(QStringLiteral("含有DOCTYPE"));
        Fail(QStringLiteral("无效的标记"));
    }
    if (next == '/')
        return EndTag(i);
    return StartTag(i);
}

TXmlScanner::TToken TXmlScanner::Characters(size_t i)
{
    const void* lt = std::memchr(m_buf.data() + i, '<', m_buf.size() - i);
    if (!lt && !m_eof)
        throw TNeedMore{};
    const size_t end = lt ? static_cast<size_t>(static_cast<const char*>(lt) - m_buf.data()) : m_buf.size();
    const std::string_view raw = std::string_view(m_buf).substr(i, end - i);
    if (IsBlank(raw) && raw.find('\r') == std::string_view::npos) {
        m_text = raw;
    } else if (IsBlank(raw)) {
        m_decoded.clear();
        AppendLines(m_decoded, raw);
        m_text = m_decoded;
    } else {
        if (m_depth == 0)
            Fail(QStringLiteral("根元素之外有文字"));
        if (raw.find("]]>") != std::string_view::npos)
            Fail(QStringLiteral("文字中有]]>"));
        m_decoded.clear();
        Decode(raw, m_decoded, kLines);
        m_text = m_decoded;
    }
    m_pos = end;
    return TToken::Text;
}

TXmlScanner::TToken TXmlScanner::EndTag(size_t i)
{
    const size_t nameEnd = Name(i + 2);
    const size_t k = Blanks(nameEnd);
    if (m_buf[k] != '>')
        Fail(QStringLiteral("结束标记无效"));
    const std::string_view name = std::string_view(m_buf).substr(i + 2, nameEnd - i - 2);
    if (m_depth == 0 || name != m_open[m_depth - 1].name)
        Fail(QStringLiteral("结束标记") + Text(name) + QStringLiteral("与开始标记不符"));
    m_pos = k + 1;
    Pop();
    return TToken::End;
}

TXmlScanner::TToken TXmlScanner::StartTag(size_t i)
{
    const size_t nameEnd = Name(i + 1);
    m_name = std::string_view(m_buf).substr(i + 1, nameEnd - i - 1);
    m_attrs.clear();
    m_decoded.clear();
    m_decodedAt.clear();
    bool empty = false;
    size_t k = nameEnd;
    for (;;) {
        const size_t before = k;
        k = Blanks(k);
        const char c = m_buf[k];
        if (c == '>') {
            ++k;
            break;
        }
        if (c == '/') {
            if (At(k + 1) != '>')
                Fail(QStringLiteral("开始标记无效"));
            k += 2;
            empty = true;
            break;
        }
        if (k == before)
            Fail(QStringLiteral("属性之前缺少空白"));
        const size_t attrEnd = Name(k);
        TXmlAttribute a;
        a.name = std::string_view(m_buf).substr(k, attrEnd - k);
        k = Blanks(attrEnd);
        if (m_buf[k] != '=')
            Fail(QStringLiteral("属性") + Text(a.name) + QStringLiteral("缺少="));
        k = Blanks(k + 1);
        const char quote = m_buf[k];
        if (quote != '\'' && quote != '"')
            Fail(QStringLiteral("属性") + Text(a.name) + QStringLiteral("的值缺少引号"));
        ++k;
        const void* close = std::memchr(m_buf.data() + k, quote, m_buf.size() - k);
        if (!close)
            throw TNeedMore{};
        const size_t valueEnd = static_cast<size_t>(static_cast<const char*>(close) - m_buf.data());
        const std::string_view raw = std::string_view(m_buf).substr(k, valueEnd - k);
        if (std::memchr(raw.data(), '<', raw.size()))
            Fail(QStringLiteral("属性") + Text(a.name) + QStringLiteral("的值含有<"));
        // A namespace is the value normalised, as a conforming reader has it; other values keep
        // a literal TAB, CR or LF, which the other invoicing points write and mean.
        const bool binding = a.name.substr(0, 5) == "xmlns" && (a.name.size() == 5 || a.name[5] == ':');
        if (std::memchr(raw.data(), '&', raw.size()) || (binding && raw.find_first_of("\t\r\n") != std::string_view::npos)) {
            const size_t from = m_decoded.size();
            Decode(raw, m_decoded, binding ? kSpaces : kKeep);
            m_decodedAt.emplace_back(m_attrs.size(), std::make_pair(from, m_decoded.size() - from));
        } else {
            a.value = raw;
        }
        k = valueEnd + 1;
        m_attrs.push_back(a);
    }
    // Values with references point into m_decoded only now that it no longer grows.
    for (const auto& [attr, span] : m_decodedAt)
        m_attrs[attr].value = std::string_view(m_decoded).substr(span.first, span.second);
    CheckAttributeNames();
    if (m_depth == 0 && m_rootDone)
        Fail(QStringLiteral("根元素之后还有元素"));
    if (m_depth >= kMaxDepth)
        Fail(QStringLiteral("元素嵌套过深"));

    // Namespaces declared here, then the element's and its attributes' prefixes.
    const size_t bindingsBefore = m_bindings.size();
    const auto refuse = [&](const QString& why) {
        m_bindings.resize(bindingsBefore);
        Fail(why);
    };
    for (TXmlAttribute& a : m_attrs) {
        Split(a.name, a.prefix, a.local);
        if (a.name != "xmlns" && a.prefix != "xmlns")
            continue;
        // xml and xmlns keep their own namespaces, and a prefix cannot be bound to nothing.
        const std::string_view bound = a.name == "xmlns" ? std::string_view() : a.local;
        if (bound == "xmlns" || a.value == kXmlnsNs || (bound == "xml") != (a.value == kXmlNs) ||
            (!bound.empty() && a.value.empty()))
            refuse(QStringLiteral("命名空间声明无效：") + Text(a.name));
        m_bindings.emplace_back(std::string(bound), std::string(a.value));
    }
    std::string_view prefix;
    Split(m_name, prefix, m_local);
    m_ns = NamespaceOf(prefix);
    if ((!prefix.empty() && m_ns.empty()) || prefix == "xmlns")
        refuse(QStringLiteral("前缀") + Text(prefix) + QStringLiteral("没有声明"));
    for (size_t n = 0; n < m_attrs.size(); ++n) {
        const TXmlAttribute& a = m_attrs[n];
        if (a.prefix.empty() || a.prefix == "xmlns")
            continue;
        const std::string_view ns = NamespaceOf(a.prefix);
        if (ns.empty())
            refuse(QStringLiteral("前缀") + Text(a.prefix) + QStringLiteral("没有声明"));
        // Two prefixes of one namespace make the same attribute.
        for (size_t b = 0; b < n; ++b)
            if (m_attrs[b].local == a.local && !m_attrs[b].prefix.empty() && m_attrs[b].prefix != "xmlns" &&
                NamespaceOf(m_attrs[b].prefix) == ns)
                refuse(QStringLiteral("属性") + Text(a.name) + QStringLiteral("重复"));
    }

    if (m_open.size() <= m_depth)
        m_open.resize(m_depth + 1);
    m_open[m_depth].name.assign(m_name);
    m_open[m_depth].bindings = bindingsBefore;
    ++m_depth;
    m_pos = k;
    m_pendingEnd = empty;
    return TToken::Start;
}

void TXmlScanner::CheckAttributeNames()
{
    const size_t n = m_attrs.size();
    if (n <= 8) {
        for (size_t a = 1; a < n; ++a)
            for (size_t b = 0; b < a; ++b)
                if (m_attrs[a].name == m_attrs[b].name)
                    Fail(QStringLiteral("属性") + Text(m_attrs[a].name) + QStringLiteral("重复"));
        return;
    }
    size_t size = 16;
    while (size < n * 2)
        size *= 2;
    m_slots.assign(size, -1);
    // Cheap to compute and spread enough for attribute names; equal names always meet.
    const auto hash = [](std::string_view name) {
        size_t h = name.size();
        for (size_t i = 0; i < name.size() && i < 8; ++i)
            h = h * 131 + static_cast<unsigned char>(name[name.size() - 1 - i]);
        return h;
    };
    for (size_t a = 0; a < n; ++a) {
        for (size_t s = hash(m_attrs[a].name) & (size - 1);; s = (s + 1) & (size - 1)) {
            if (m_slots[s] < 0) {
                m_slots[s] = static_cast<int>(a);
                break;
            }
            if (m_attrs[static_cast<size_t>(m_slots[s])].name == m_attrs[a].name)
                Fail(QStringLiteral("属性") + Text(m_attrs[a].name) + QStringLiteral("重复"));
        }
    }
}

void TXmlScanner::Pop()
{
    --m_depth;
    m_bindings.resize(m_open[m_depth].bindings);
    if (m_depth == 0)
        m_rootDone = true;
}

bool TXmlScanner::TextIsBlank() const { return IsBlank(m_text); }

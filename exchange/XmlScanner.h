#pragma once
// A strict XML scanner for documents read from a device a piece at a time: well-formedness,
// namespaces, UTF-8 (with or without a BOM) or UTF-16 with a BOM, and no DOCTYPE.
#include "core/Errors.h"

#include <QStringDecoder>
#include <QtGlobal>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QIODevice;

// A document that is not well-formed XML in UTF-8 or UTF-16; the text says what, and where.
class EXmlFormat : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// UTF-8 without a NUL.
bool IsUtf8(std::string_view bytes);

struct TXmlAttribute {
    std::string_view name;
    std::string_view prefix;  // empty when it has none
    std::string_view local;
    std::string_view value;  // with its references replaced
};

// Start tags, end tags (also of an empty element) and text, one by one; comments and processing
// instructions are passed over. What it hands out lives until the next call of Next(). Raises
// EXmlFormat, and EInOutError when the device fails.
class TXmlScanner {
public:
    enum class TToken { Start, End, Text, Eof };

    // Refuses a document of more than maxBytes bytes.
    TXmlScanner(QIODevice& device, qint64 maxBytes) : m_device(device), m_maxBytes(maxBytes) {}
    TToken Next();

    std::string_view RawName() const { return m_name; }
    std::string_view Local() const { return m_local; }
    std::string_view Ns() const { return m_ns; }
    const std::vector<TXmlAttribute>& Attributes() const { return m_attrs; }
    std::string_view TextValue() const { return m_text; }
    bool TextIsBlank() const;

    // The namespace of a prefix where the last start tag stands ("" for none).
    std::string_view NamespaceOf(std::string_view prefix) const;
    // The attribute of that namespace (empty: none) and local name.
    std::optional<std::string_view> Attribute(std::string_view ns, std::string_view local) const;

    [[noreturn]] void Fail(const QString& why) const;

private:
    static constexpr size_t kChunk = 1 << 20;
    static constexpr size_t kMaxDepth = 64;

    // Reads on: at least as much again as is still unread, so that a long token is scanned a
    // bounded number of times. False at the end of the device.
    bool Fill();
    char At(size_t i) const;
    size_t Find(std::string_view what, size_t from) const;
    bool StartsWith(size_t i, std::string_view what) const;

    // The end of the name at i. The buffer ends in a NUL, which no name or blank holds and which
    // the checked text never does: the scans stop there without counting.
    size_t Name(size_t i) const;
    size_t Blanks(size_t i) const;

    // The offset of p, which stopped a scan; past the bytes read so far, more are needed.
    size_t End(const char* p) const;

    // Splits prefix:local; a name with an empty part or a second colon is refused.
    void Split(std::string_view name, std::string_view& prefix, std::string_view& local) const;

    // raw with its entity and character references replaced, appended to out.
    // What becomes of a literal TAB, CR or LF: kept (values), each line end one LF (text), each one
    // space (namespaces).
    enum TBlanks { kKeep, kLines, kSpaces };
    void Decode(std::string_view raw, std::string& out, TBlanks blanks = kKeep) const;
    // The XML declaration's pseudo-attributes, between "<?xml" and "?>".
    void Declaration(std::string_view body) const;
    char32_t CharacterReference(std::string_view digits) const;

    // One token from m_pos; nullopt for what is skipped (comments, processing instructions).
    std::optional<TToken> Token();
    TToken Characters(size_t i);
    TToken EndTag(size_t i);
    TToken StartTag(size_t i);

    // No attribute twice on one element.
    void CheckAttributeNames();
    void Pop();

    struct TOpen {
        std::string name;
        size_t bindings = 0;
    };

    QIODevice& m_device;
    qint64 m_maxBytes;
    std::string m_buf;  // UTF-8; m_pos is where the next token begins
    size_t m_pos = 0;
    size_t m_checked = 0;  // bytes of m_buf whose UTF-8 is checked
    size_t m_lines = 0;    // line ends in what was dropped from m_buf
    qint64 m_read = 0;
    bool m_first = true;
    bool m_eof = false;
    bool m_triedAtEnd = false;
    bool m_started = false;  // past the first token, where alone a declaration may stand
    std::optional<QStringDecoder> m_utf16;
    char16_t m_highSurrogate = 0;  // the first half of a pair the last read split
    std::vector<char> m_raw;

    std::vector<TOpen> m_open;
    size_t m_depth = 0;
    bool m_rootDone = false;
    bool m_pendingEnd = false;
    std::vector<std::pair<std::string, std::string>> m_bindings;  // prefix, namespace

    std::string_view m_name, m_local, m_ns, m_text;
    std::vector<TXmlAttribute> m_attrs;
    std::string m_decoded;
    std::vector<std::pair<size_t, std::pair<size_t, size_t>>> m_decodedAt;
    std::vector<int> m_slots;
};

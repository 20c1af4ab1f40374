#include "TWorkbook.h"

#include "WorkbookFormula.h"
#include "WorkbookPackage.h"
#include "core/WholeFile.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <unordered_map>

// ---------------------------------------------------------------------------------------------
// Names and numbers

QString ColumnName(int column)
{
    QString name;
    for (int c = column; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(u'A' + (c - 1) % 26));
    return name;
}

QString CellName(int row, int column) { return ColumnName(column) + QString::number(row); }

namespace {
constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;

// "G8" at p (no "$"); false when it is not a cell name.
bool ParseName(const char* p, const char* end, int& row, int& column)
{
    column = 0;
    int letters = 0;
    if (p < end && *p == '$')
        ++p;
    while (p < end && ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'))) {
        column = column * 26 + ((*p & ~0x20) - 'A' + 1);
        if (++letters > 3)
            return false;
        ++p;
    }
    if (p < end && *p == '$')
        ++p;
    row = 0;
    int digits = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        row = row * 10 + (*p - '0');
        if (++digits > 7)
            return false;
        ++p;
    }
    return p == end && letters > 0 && digits > 0 && row >= 1 && row <= kMaxRow && column <= kMaxColumn;
}

std::string ShortestNumberText(double v)
{
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("0");
}
}  // namespace

bool ParseCellName(const QString& name, int& row, int& column)
{
    const QByteArray text = name.trimmed().toLatin1();
    return ParseName(text.constData(), text.constData() + text.size(), row, column);
}

QString GeneralNumberText(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc())
        return QStringLiteral("0");
    std::string text(buffer, ptr);
    // "1e+20" as a spreadsheet writes it: "1E+20".
    if (const auto e = text.find('e'); e != std::string::npos)
        text[e] = 'E';
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// ---------------------------------------------------------------------------------------------
// Text inside cells: XML escapes, and the spreadsheet's own _xHHHH_ escape for the characters
// XML cannot hold.

namespace {
bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool IsEscapeAt(const char* p, const char* end)
{
    return end - p >= 7 && p[0] == '_' && p[1] == 'x' && IsHex(p[2]) && IsHex(p[3]) && IsHex(p[4]) && IsHex(p[5]) && p[6] == '_';
}

void AppendHexEscape(std::string& out, unsigned code)
{
    static const char digits[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(code >> shift) & 0xF];
    out += '_';
}

void AppendEscaped(std::string& out, const char* p, const char* end, bool attribute)
{
    for (; p < end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        switch (c) {
        case '&':
            out += "&amp;";
            continue;
        case '<':
            out += "&lt;";
            continue;
        case '>':
            out += "&gt;";
            continue;
        case '"':
            if (attribute) {
                out += "&quot;";
                continue;
            }
            break;
        case '_':
            // A text that looks like an escape is itself escaped, so it reads back as written.
            if (IsEscapeAt(p, end)) {
                out += "_x005F_";
                continue;
            }
            break;
        case 0xEF:
            if (end - p >= 3 && static_cast<unsigned char>(p[1]) == 0xBF &&
                (static_cast<unsigned char>(p[2]) == 0xBE || static_cast<unsigned char>(p[2]) == 0xBF)) {
                AppendHexEscape(out, static_cast<unsigned char>(p[2]) == 0xBE ? 0xFFFE : 0xFFFF);
                p += 2;
                continue;
            }
            break;
        default:
            // Control characters, and CR, which XML reading would turn into LF.
            if (c < 0x20 && c != '\t' && c != '\n') {
                AppendHexEscape(out, c);
                continue;
            }
        }
        out += static_cast<char>(c);
    }
}

void AppendEscaped(std::string& out, const std::string& text, bool attribute)
{
    AppendEscaped(out, text.data(), text.data() + text.size(), attribute);
}

QString Unescaped(const char* text)
{
    const char* end = text + std::strlen(text);
    if (!std::strstr(text, "_x"))
        return QString::fromUtf8(text, end - text);
    QString out;
    const char* run = text;
    for (const char* p = text; p < end;) {
        if (IsEscapeAt(p, end)) {
            out += QString::fromUtf8(run, p - run);
            out += QChar(static_cast<char16_t>(std::strtoul(std::string(p + 2, 4).c_str(), nullptr, 16)));
            p += 7;
            run = p;
        } else {
            ++p;
        }
    }
    out += QString::fromUtf8(run, end - run);
    return out;
}

// ---------------------------------------------------------------------------------------------
// XML helpers

const char* LocalName(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

bool Is(const pugi::xml_node& node, const char* localName)
{
    return node.type() == pugi::node_element && std::strcmp(LocalName(node.name()), localName) == 0;
}

pugi::xml_node Child(const pugi::xml_node& node, const char* localName)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (Is(c, localName))
            return c;
    return {};
}

std::string PrefixOf(const pugi::xml_node& node)
{
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return colon ? std::string(name, colon + 1) : std::string();
}

struct TStringWriter final : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

QByteArray Serialize(pugi::xml_document& doc)
{
    // The text is written as UTF-8 whatever the part was read in.
    if (pugi::xml_node decl = doc.first_child(); decl.type() == pugi::node_declaration)
        if (pugi::xml_attribute enc = decl.attribute("encoding"))
            enc.set_value("UTF-8");
    TStringWriter w;
    doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);
    return QByteArray(w.out.data(), static_cast<qsizetype>(w.out.size()));
}

constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single;

void Parse(pugi::xml_document& doc, const QByteArray& bytes, const QString& file, const QString& part)
{
    const pugi::xml_parse_result r = doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()), kParseFlags);
    if (!r)
        throw EWorkbookError(file, QStringLiteral("%1 无法解析：%2").arg(part, QString::fromUtf8(r.description())));
}

// A part name relative to the folder of another part, as relationships give it; empty for a
// target that climbs above the package's root (it names no part).
QString ResolvePart(const QString& base, const QString& target)
{
    const qsizetype slash = base.lastIndexOf(u'/');
    QStringList parts = target.startsWith(u'/') || slash < 0 ? QStringList() : base.left(slash).split(u'/', Qt::SkipEmptyParts);
    for (const QString& p : target.split(u'/', Qt::SkipEmptyParts)) {
        if (p == QLatin1String("..")) {
            if (parts.isEmpty())
                return {};
            parts.removeLast();
        } else if (p != QLatin1String(".")) {
            parts << p;
        }
    }
    return parts.join(u'/');
}

// The part a relationship the workbook needs names; raises for one outside the package.
QString UsedPart(const QString& base, const pugi::xml_node& relationship, const QString& file)
{
    const QString target = QString::fromUtf8(relationship.attribute("Target").value());
    const QString part = ResolvePart(base, target);
    if (part.isEmpty())
        throw EWorkbookError(file, target.isEmpty() ? QStringLiteral("工作簿的关系没有目标")
                                                    : QStringLiteral("工作簿的关系指向包外：%1").arg(target));
    return part;
}

QString RelsOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

bool EndsWith(const char* text, const char* tail)
{
    const size_t n = std::strlen(text), m = std::strlen(tail);
    return n >= m && std::strcmp(text + n - m, tail) == 0;
}

bool IsTrue(const pugi::xml_attribute& a, bool absent)
{
    if (!a)
        return absent;
    const char* v = a.value();
    return std::strcmp(v, "1") == 0 || std::strcmp(v, "true") == 0;
}

// ---------------------------------------------------------------------------------------------
// The sheet's cells

using TAttributes = std::vector<std::pair<std::string, std::string>>;

struct TFormulaCell {
    std::string text;                      // without "="
    std::optional<TParsedFormula> parsed;  // none: kept as read, with its stored value
    TAttributes attributes;                // of a formula kept as read
    mutable quint64 generation = 0;
    mutable TCellValue cached;
    mutable bool busy = false;
};

struct TCell {
    int style = -1;
    TCellKind kind = TCellKind::Empty;  // of the constant, or the stored value of a formula kept as read
    QString text;
    double number = 0;
    int sharedString = -1;    // a template's shared string, written back as such while untouched
    std::string richText;     // a template's inline string with runs, written back as read
    std::string storedValue;  // <v> of a formula kept as read
    std::string storedType;
    std::unique_ptr<TFormulaCell> formula;

    void ClearContent()
    {
        kind = TCellKind::Empty;
        text.clear();
        number = 0;
        sharedString = -1;
        richText.clear();
        storedValue.clear();
        storedType.clear();
        formula.reset();
    }
};

struct TRow {
    TAttributes attributes;                    // without r and spans
    int style = -1;                            // of a row formatted as a whole
    double height = 0;                         // points; 0 default
    std::vector<std::pair<int, TCell>> cells;  // sorted by column
};

struct TColumns {
    int min = 0, max = 0;
    double width = 0;
    int style = -1;
    bool hidden = false;
};

// Formulas are computed deepest first on a stack of their own, not by recursion; this only
// bounds the memory a hostile chain may take.
constexpr int kMaxChainDepth = 100000;

// A formula that cannot be computed: it takes part in a cycle, or its chain of formulas is
// deeper than kMaxChainDepth. Row and column name the cell where it was found.
struct TCycle {
    int row = 0, column = 0;
    bool tooDeep = false;
    QString Reason() const
    {
        return tooDeep ? QStringLiteral("%1 的公式引用链超过%2层").arg(CellName(row, column)).arg(kMaxChainDepth)
                       : QStringLiteral("%1 的公式循环引用").arg(CellName(row, column));
    }
};

// The cell types whose value is not read as a number (the others hold one in <v>).
bool IsTextType(const char* type)
{
    for (const char* t : {"s", "inlineStr", "b", "e", "str", "d"})
        if (std::strcmp(type, t) == 0)
            return true;
    return false;
}

void AppendAttributes(std::string& out, const TAttributes& attributes)
{
    for (const auto& [n, v] : attributes) {
        out += ' ';
        out += n;
        out += "=\"";
        AppendEscaped(out, v, true);
        out += '"';
    }
}

}  // namespace

struct TWorkbook::TData {
    QString file;
    std::vector<TZipEntry> entries;
    QHash<QString, int> entryIndex;  // lower-case part name

    QString workbookPart, sheetPart, stylesPart, sharedStringsPart, calcChainPart;
    pugi::xml_document workbookDoc, workbookRelsDoc, contentTypesDoc, sheetDoc, stylesDoc;
    bool hasStyles = false;
    pugi::xml_node sheetData;
    std::string prefix;  // of the sheet's elements
    std::vector<QString> sharedStrings;

    std::map<int, TRow> rows;
    std::vector<TColumns> columns;
    // Read for showing (TSheetReader): the cells stay in the parsed sheet, a row is decoded into
    // decodedRows when first asked for.
    bool lazy = false;
    std::vector<std::pair<int, pugi::xml_node>> rowNodes;  // by row number, in file order
    mutable std::map<int, TRow> decodedRows;
    int usedRows = 0, usedColumns = 0;
    double defaultColumnWidth = 8.43;
    double defaultRowHeight = 15;

    std::vector<pugi::xml_node> xfs, borders, fonts;
    pugi::xml_node cellXfsNode, bordersNode;
    std::unordered_map<int, int> borderedXf, borderedBorder;

    quint64 generation = 1;
    TFormulaCells access;

    TData();
    int Entry(const QString& part) const { return entryIndex.value(part.toLower(), -1); }
    const QByteArray& Bytes(const QString& part) const;
    void Load(const QByteArray& bytes, const QString& name);
    void LoadSheet();
    void LoadStyles();
    void DecodeRow(const pugi::xml_node& rowNode, int r, TRow& row) const;
    void CheckRow(const pugi::xml_node& rowNode, int r);
    double NumberOf(const char* value) const;
    const TRow* RowAt(int row) const;
    void ForRows(int top, int bottom, const std::function<bool(int, const TRow&)>& fn) const;
    void FillFrame(TSheetContent& s) const;
    QByteArray Build();
    std::string SheetXml();

    const TCell* Find(int row, int column) const;
    TCell& At(int row, int column);
    int NewCellStyle(int row, int column) const;
    TCellValue ValueOf(const TCell& cell, int row, int column) const;
    void ComputeChain(const TCell& cell, int row, int column) const;
    void FormulaInputs(const std::vector<TFormulaTerm>& chain, std::vector<std::pair<int, int>>& inputs) const;
    TCellValue Stored(const TCell& cell) const;
    void Changed() { ++generation; }

    int BorderedXf(int xf);
    int BorderedBorder(int border);
    TCellLook LookOf(int xf) const;
    void WriteCell(std::string& out, const std::string& name, const TCell& cell, int row, int column);
};

TWorkbook::TData::TData()
{
    access.value = [this](int row, int column) {
        const TCell* c = Find(row, column);
        return c ? ValueOf(*c, row, column) : TCellValue{};
    };
    access.forEach = [this](int top, int left, int bottom, int right, const std::function<bool(const TCellValue&)>& fn) {
        ForRows(top, bottom, [&](int r, const TRow& row) {
            const auto& cells = row.cells;
            auto c = std::lower_bound(cells.begin(), cells.end(), left, [](const auto& p, int col) { return p.first < col; });
            for (; c != cells.end() && c->first <= right; ++c)
                if (!fn(ValueOf(c->second, r, c->first)))
                    return false;
            return true;
        });
    };
}

// Calls fn with each row from top to bottom that has cells, in order, until it returns false;
// read for showing, the rows are decoded as they are reached.
void TWorkbook::TData::ForRows(int top, int bottom, const std::function<bool(int, const TRow&)>& fn) const
{
    if (!lazy) {
        for (auto r = rows.lower_bound(top); r != rows.end() && r->first <= bottom; ++r)
            if (!fn(r->first, r->second))
                return;
        return;
    }
    auto it = std::lower_bound(rowNodes.begin(), rowNodes.end(), top, [](const auto& p, int r) { return p.first < r; });
    while (it != rowNodes.end() && it->first <= bottom) {
        const int r = it->first;
        while (it != rowNodes.end() && it->first == r)
            ++it;
        if (!fn(r, *RowAt(r)))
            return;
    }
}

const QByteArray& TWorkbook::TData::Bytes(const QString& part) const
{
    const int i = Entry(part);
    if (i < 0)
        throw EWorkbookError(file, QStringLiteral("工作簿缺少 %1").arg(part));
    return entries[static_cast<size_t>(i)].data;
}

void TWorkbook::TData::Load(const QByteArray& bytes, const QString& name)
{
    file = name;
    entries = ReadZip(bytes, name);
    for (size_t i = 0; i < entries.size(); ++i)
        entryIndex.insert(QString::fromUtf8(entries[i].name).toLower(), static_cast<int>(i));

    // The package's relationships name the workbook, the workbook's name its sheets and styles.
    pugi::xml_document rels;
    Parse(rels, Bytes(QStringLiteral("_rels/.rels")), file, QStringLiteral("_rels/.rels"));
    for (pugi::xml_node r : Child(rels, "Relationships").children())
        if (Is(r, "Relationship") && EndsWith(r.attribute("Type").value(), "/officeDocument"))
            workbookPart = UsedPart(QString(), r, file);
    if (workbookPart.isEmpty())
        throw EWorkbookError(file, QStringLiteral("不是 .xlsx 工作簿：没有工作簿部件"));
    Parse(workbookDoc, Bytes(workbookPart), file, workbookPart);
    const QString relsPart = RelsOf(workbookPart);
    Parse(workbookRelsDoc, Bytes(relsPart), file, relsPart);

    const pugi::xml_node workbook = Child(workbookDoc, "workbook");
    pugi::xml_node firstSheet;
    for (pugi::xml_node s : Child(workbook, "sheets").children())
        if (Is(s, "sheet")) {
            firstSheet = s;
            break;
        }
    if (!firstSheet)
        throw EWorkbookError(file, QStringLiteral("工作簿中没有工作表"));
    std::string sheetId;
    for (pugi::xml_attribute a : firstSheet.attributes())
        if (std::strchr(a.name(), ':') && std::strcmp(LocalName(a.name()), "id") == 0)
            sheetId = a.value();
    const pugi::xml_node relationships = Child(workbookRelsDoc, "Relationships");
    for (pugi::xml_node r : relationships.children()) {
        if (!Is(r, "Relationship"))
            continue;
        const char* type = r.attribute("Type").value();
        if (sheetId == r.attribute("Id").value()) {
            if (!EndsWith(type, "/worksheet"))
                throw EWorkbookError(file, QStringLiteral("第一张表不是工作表"));
            sheetPart = UsedPart(workbookPart, r, file);
        } else if (EndsWith(type, "/styles")) {
            stylesPart = UsedPart(workbookPart, r, file);
        } else if (EndsWith(type, "/sharedStrings")) {
            sharedStringsPart = UsedPart(workbookPart, r, file);
        } else if (EndsWith(type, "/calcChain")) {
            calcChainPart = UsedPart(workbookPart, r, file);
        }
    }
    if (sheetPart.isEmpty())
        throw EWorkbookError(file, QStringLiteral("工作簿中没有工作表"));

    if (!sharedStringsPart.isEmpty() && Entry(sharedStringsPart) >= 0) {
        pugi::xml_document sst;
        Parse(sst, Bytes(sharedStringsPart), file, sharedStringsPart);
        for (pugi::xml_node si : Child(sst, "sst").children()) {
            if (!Is(si, "si"))
                continue;
            QString text;
            for (pugi::xml_node part : si.children()) {
                if (Is(part, "t"))
                    text += Unescaped(part.child_value());
                else if (Is(part, "r"))
                    text += Unescaped(Child(part, "t").child_value());
            }
            sharedStrings.push_back(text);
        }
    }
    LoadStyles();
    LoadSheet();
}

void TWorkbook::TData::LoadStyles()
{
    if (stylesPart.isEmpty() || Entry(stylesPart) < 0)
        return;
    Parse(stylesDoc, Bytes(stylesPart), file, stylesPart);
    hasStyles = true;
    const pugi::xml_node sheet = Child(stylesDoc, "styleSheet");
    cellXfsNode = Child(sheet, "cellXfs");
    bordersNode = Child(sheet, "borders");
    for (pugi::xml_node x : cellXfsNode.children())
        if (Is(x, "xf"))
            xfs.push_back(x);
    for (pugi::xml_node b : bordersNode.children())
        if (Is(b, "border"))
            borders.push_back(b);
    for (pugi::xml_node f : Child(sheet, "fonts").children())
        if (Is(f, "font"))
            fonts.push_back(f);
}

void TWorkbook::TData::LoadSheet()
{
    Parse(sheetDoc, Bytes(sheetPart), file, sheetPart);
    const pugi::xml_node worksheet = sheetDoc.document_element();
    if (!Is(worksheet, "worksheet"))
        throw EWorkbookError(file, QStringLiteral("%1 不是工作表").arg(sheetPart));
    prefix = PrefixOf(worksheet);
    sheetData = Child(worksheet, "sheetData");
    if (!sheetData)
        throw EWorkbookError(file, QStringLiteral("%1 没有单元格部分").arg(sheetPart));

    if (const pugi::xml_node format = Child(worksheet, "sheetFormatPr")) {
        defaultRowHeight = format.attribute("defaultRowHeight").as_double(15);
        if (pugi::xml_attribute w = format.attribute("defaultColWidth"))
            defaultColumnWidth = w.as_double(8.43);
        else if (pugi::xml_attribute b = format.attribute("baseColWidth"))
            defaultColumnWidth = b.as_double(8) + 0.43;
    }
    for (pugi::xml_node c : Child(worksheet, "cols").children())
        if (Is(c, "col"))
            columns.push_back({c.attribute("min").as_int(), c.attribute("max").as_int(), c.attribute("width").as_double(0),
                               c.attribute("style") ? c.attribute("style").as_int() : -1, IsTrue(c.attribute("hidden"), false)});

    int lastRow = 0;
    for (pugi::xml_node rowNode : sheetData.children()) {
        if (!Is(rowNode, "row"))
            continue;
        const int r = rowNode.attribute("r") ? rowNode.attribute("r").as_int() : lastRow + 1;
        if (r < 1 || r > kMaxRow)
            throw EWorkbookError(file, QStringLiteral("%1 的行号无效").arg(sheetPart));
        lastRow = r;
        if (lazy) {
            rowNodes.emplace_back(r, rowNode);
            CheckRow(rowNode, r);
        } else {
            DecodeRow(rowNode, r, rows[r]);
        }
    }
    if (lazy) {
        // The cells stay in the sheet: a row is found by its number when it is asked for.
        std::stable_sort(rowNodes.begin(), rowNodes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        return;
    }
    // The cells live in the rows from here on; the sheet keeps a mark where they go back.
    while (pugi::xml_node c = sheetData.first_child())
        sheetData.remove_child(c);
    sheetData.append_child(pugi::node_comment).set_value("tallyra:sheetData");
}

// The row element's attributes and cells into row (a row named twice gathers both).
void TWorkbook::TData::DecodeRow(const pugi::xml_node& rowNode, int r, TRow& row) const
{
    for (pugi::xml_attribute a : rowNode.attributes()) {
        const char* n = a.name();
        if (std::strcmp(n, "r") != 0 && std::strcmp(n, "spans") != 0)
            row.attributes.emplace_back(n, a.value());
    }
    if (IsTrue(rowNode.attribute("customFormat"), false) && rowNode.attribute("s"))
        row.style = rowNode.attribute("s").as_int();
    row.height = rowNode.attribute("ht").as_double(0);
    int lastColumn = 0;
    bool sorted = true;
    for (pugi::xml_node c : rowNode.children()) {
        if (!Is(c, "c"))
            continue;
        int cellRow = r, column = lastColumn + 1;
        if (pugi::xml_attribute ref = c.attribute("r")) {
            const char* v = ref.value();
            if (!ParseName(v, v + std::strlen(v), cellRow, column))
                throw EWorkbookError(file, QStringLiteral("%1 的单元格名称无效：%2").arg(sheetPart, QString::fromUtf8(v)));
        }
        if (column <= lastColumn)
            sorted = false;
        lastColumn = column;
        TCell cell;
        if (pugi::xml_attribute s = c.attribute("s"))
            cell.style = s.as_int();
        const std::string type = c.attribute("t").value();
        const pugi::xml_node v = Child(c, "v");
        const char* value = v.child_value();
        if (type == "s") {
            cell.kind = TCellKind::Text;
            cell.sharedString = std::atoi(value);
            if (cell.sharedString >= 0 && static_cast<size_t>(cell.sharedString) < sharedStrings.size())
                cell.text = sharedStrings[static_cast<size_t>(cell.sharedString)];
        } else if (type == "inlineStr") {
            cell.kind = TCellKind::Text;
            const pugi::xml_node is = Child(c, "is");
            for (pugi::xml_node part : is.children()) {
                if (Is(part, "t")) {
                    cell.text += Unescaped(part.child_value());
                } else if (Is(part, "r")) {
                    cell.text += Unescaped(Child(part, "t").child_value());
                    cell.richText = "rich";
                }
            }
            if (!cell.richText.empty()) {
                TStringWriter w;
                for (pugi::xml_node part : is.children())
                    part.print(w, "", pugi::format_raw);
                cell.richText = w.out;
            }
        } else if (type == "b") {
            cell.kind = TCellKind::Boolean;
            cell.number = std::atoi(value) != 0 ? 1 : 0;
            cell.text = cell.number ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        } else if (type == "e") {
            cell.kind = TCellKind::Error;
            cell.text = QString::fromUtf8(value);
        } else if (type == "str" || type == "d") {
            cell.kind = TCellKind::Text;
            cell.text = Unescaped(value);
        } else if (*value) {
            const double number = NumberOf(value);
            cell.kind = TCellKind::Number;
            cell.number = number;
            cell.text = GeneralNumberText(number);
        }
        if (const pugi::xml_node f = Child(c, "f")) {
            auto formula = std::make_unique<TFormulaCell>();
            formula->text = f.child_value();
            const bool plain = !f.first_attribute();
            if (plain && !formula->text.empty())
                formula->parsed = ParseFormula(QString::fromUtf8(formula->text.c_str()));
            if (!formula->parsed) {
                for (pugi::xml_attribute a : f.attributes())
                    formula->attributes.emplace_back(a.name(), a.value());
                cell.storedValue = value;
                cell.storedType = type;
            }
            cell.formula = std::move(formula);
        }
        row.cells.emplace_back(column, std::move(cell));
    }
    if (!sorted) {
        std::stable_sort(row.cells.begin(), row.cells.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        // A cell named twice: the last one holds.
        for (size_t i = row.cells.size(); i-- > 1;)
            if (row.cells[i - 1].first == row.cells[i].first)
                row.cells.erase(row.cells.begin() + static_cast<std::ptrdiff_t>(i - 1));
    }
}

double TWorkbook::TData::NumberOf(const char* value) const
{
    double number = 0;
    const auto [ptr, ec] = std::from_chars(value, value + std::strlen(value), number);
    if (ec != std::errc())
        throw EWorkbookError(file, QStringLiteral("%1 的数值无效：%2").arg(sheetPart, QString::fromUtf8(value)));
    return number;
}

// What decoding the row would refuse, found while the file is read, and the used range it
// gives, without decoding its cells: one pass over each cell's attributes.
void TWorkbook::TData::CheckRow(const pugi::xml_node& rowNode, int r)
{
    int lastColumn = 0;
    for (pugi::xml_node c = rowNode.first_child(); c; c = c.next_sibling()) {
        const char* name = c.name();
        if (c.type() != pugi::node_element || (!(name[0] == 'c' && name[1] == 0) && !Is(c, "c")))
            continue;
        const char* ref = nullptr;
        const char* type = "";
        for (pugi::xml_attribute a = c.first_attribute(); a; a = a.next_attribute()) {
            const char* n = a.name();
            if (n[0] == 'r' && n[1] == 0 && !ref)
                ref = a.value();
            else if (n[0] == 't' && n[1] == 0 && !*type)
                type = a.value();
        }
        int cellRow = r, column = lastColumn + 1;
        if (ref && !ParseName(ref, ref + std::strlen(ref), cellRow, column))
            throw EWorkbookError(file, QStringLiteral("%1 的单元格名称无效：%2").arg(sheetPart, QString::fromUtf8(ref)));
        lastColumn = column;
        usedColumns = std::max(usedColumns, column);
        usedRows = r > usedRows ? r : usedRows;
        if (!IsTextType(type))
            if (const char* value = Child(c, "v").child_value(); *value)
                NumberOf(value);
    }
}

const TRow* TWorkbook::TData::RowAt(int row) const
{
    if (!lazy) {
        const auto r = rows.find(row);
        return r == rows.end() ? nullptr : &r->second;
    }
    if (const auto r = decodedRows.find(row); r != decodedRows.end())
        return &r->second;
    const auto [first, last] = std::equal_range(rowNodes.begin(), rowNodes.end(), std::pair<int, pugi::xml_node>(row, {}),
                                                [](const auto& a, const auto& b) { return a.first < b.first; });
    if (first == last)
        return nullptr;
    TRow& decoded = decodedRows[row];
    for (auto it = first; it != last; ++it)
        DecodeRow(it->second, row, decoded);
    return &decoded;
}

const TCell* TWorkbook::TData::Find(int row, int column) const
{
    const TRow* r = RowAt(row);
    if (!r)
        return nullptr;
    const auto& cells = r->cells;
    const auto c = std::lower_bound(cells.begin(), cells.end(), column, [](const auto& p, int col) { return p.first < col; });
    return c != cells.end() && c->first == column ? &c->second : nullptr;
}

int TWorkbook::TData::NewCellStyle(int row, int column) const
{
    if (const auto r = rows.find(row); r != rows.end() && r->second.style >= 0)
        return r->second.style;
    for (const TColumns& c : columns)
        if (column >= c.min && column <= c.max)
            return c.style;
    return -1;
}

TCell& TWorkbook::TData::At(int row, int column)
{
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn)
        throw EWorkbookError(file, QStringLiteral("单元格位置无效：第%1行第%2列").arg(row).arg(column));
    auto& cells = rows[row].cells;
    // Rows are mostly written left to right: the end is the usual place.
    if (cells.empty() || cells.back().first < column) {
        const int style = NewCellStyle(row, column);
        cells.emplace_back(column, TCell{});
        cells.back().second.style = style;
        return cells.back().second;
    }
    auto c = std::lower_bound(cells.begin(), cells.end(), column, [](const auto& p, int col) { return p.first < col; });
    if (c != cells.end() && c->first == column)
        return c->second;
    const int style = NewCellStyle(row, column);
    c = cells.emplace(c, column, TCell{});
    c->second.style = style;
    return c->second;
}

TCellValue TWorkbook::TData::Stored(const TCell& cell) const { return {cell.kind, cell.text, cell.number}; }

TCellValue TWorkbook::TData::ValueOf(const TCell& cell, int row, int column) const
{
    if (!cell.formula || !cell.formula->parsed)
        return Stored(cell);
    const TFormulaCell& f = *cell.formula;
    if (f.generation == generation)
        return f.cached;
    // Reached from a formula being computed: its inputs were computed first, so this is a cycle.
    if (f.busy)
        throw TCycle{row, column, false};
    ComputeChain(cell, row, column);
    return f.cached;
}

// The formula cells (row, column) a formula reads, directly.
void TWorkbook::TData::FormulaInputs(const std::vector<TFormulaTerm>& chain, std::vector<std::pair<int, int>>& inputs) const
{
    auto add = [&](int row, int column, const TCell& c) {
        if (c.formula && c.formula->parsed && c.formula->generation != generation)
            inputs.emplace_back(row, column);
    };
    for (const TFormulaTerm& term : chain) {
        if (term.kind == TFormulaTerm::Ref) {
            if (const TCell* c = Find(term.ref.row, term.ref.column))
                add(term.ref.row, term.ref.column, *c);
        } else if (term.kind == TFormulaTerm::Sum) {
            for (const TFormulaArg& arg : term.args) {
                if (!arg.range) {
                    FormulaInputs(arg.chain, inputs);
                    continue;
                }
                ForRows(arg.from.row, arg.to.row, [&](int r, const TRow& row) {
                    const auto& cells = row.cells;
                    auto c = std::lower_bound(cells.begin(), cells.end(), arg.from.column,
                                              [](const auto& p, int col) { return p.first < col; });
                    for (; c != cells.end() && c->first <= arg.to.column; ++c)
                        add(r, c->first, c->second);
                    return true;
                });
            }
        }
    }
}

// Computes the formula and every formula it depends on, inputs before the formulas that read
// them, on an explicit stack: a chain of any length takes no program stack.
void TWorkbook::TData::ComputeChain(const TCell& cell, int row, int column) const
{
    struct TFrame {
        const TCell* cell;
        int row, column;
        std::vector<std::pair<int, int>> inputs;
        size_t next = 0;
    };
    std::vector<TFrame> stack;
    auto push = [&](const TCell& c, int r, int col) {
        c.formula->busy = true;
        stack.push_back({&c, r, col, {}, 0});
        FormulaInputs(c.formula->parsed->chain, stack.back().inputs);
    };
    auto unwind = [&](TCycle cycle) {
        for (const TFrame& f : stack)
            f.cell->formula->busy = false;
        throw cycle;
    };
    push(cell, row, column);
    while (!stack.empty()) {
        TFrame& top = stack.back();
        if (top.next < top.inputs.size()) {
            const auto [r, c] = top.inputs[top.next++];
            const TCell* input = Find(r, c);
            const TFormulaCell& f = *input->formula;
            if (f.generation == generation)
                continue;
            if (f.busy)
                unwind({r, c, false});
            if (stack.size() >= static_cast<size_t>(kMaxChainDepth))
                unwind({r, c, true});
            push(*input, r, c);
            continue;
        }
        const TFormulaCell& f = *top.cell->formula;
        try {
            f.cached = EvaluateFormula(*f.parsed, access);  // every input is computed by now
        } catch (const TCycle&) {
            unwind({top.row, top.column, false});
        }
        f.busy = false;
        f.generation = generation;
        stack.pop_back();
    }
}

// ---------------------------------------------------------------------------------------------
// Styles: thin borders by cloning a cell format once, and what a format looks like.

namespace {
const char* const kSides[] = {"left", "right", "top", "bottom", "diagonal", "vertical", "horizontal"};

int SideOrder(const pugi::xml_node& n)
{
    const char* name = LocalName(n.name());
    if (std::strcmp(name, "start") == 0)
        return 0;
    if (std::strcmp(name, "end") == 0)
        return 1;
    for (int i = 0; i < 7; ++i)
        if (std::strcmp(name, kSides[i]) == 0)
            return i;
    return 7;
}

pugi::xml_node Side(const pugi::xml_node& border, int side)
{
    for (pugi::xml_node c : border.children())
        if (c.type() == pugi::node_element && SideOrder(c) == side)
            return c;
    return {};
}

bool IsContinuous(const pugi::xml_node& side)
{
    const std::string style = side.attribute("style").value();
    return style == "thin" || style == "medium" || style == "thick";
}

bool HasLine(const pugi::xml_node& side)
{
    const std::string style = side.attribute("style").value();
    return !style.empty() && style != "none";
}

void SetCount(pugi::xml_node node, size_t count)
{
    pugi::xml_attribute a = node.attribute("count");
    if (!a)
        a = node.append_attribute("count");
    a.set_value(static_cast<unsigned long long>(count));
}
}  // namespace

int TWorkbook::TData::BorderedBorder(int border)
{
    if (const auto it = borderedBorder.find(border); it != borderedBorder.end())
        return it->second;
    if (!bordersNode)
        throw EWorkbookError(file, QStringLiteral("工作簿的样式表没有边框部分"));
    const pugi::xml_node old =
        border >= 0 && static_cast<size_t>(border) < borders.size() ? borders[static_cast<size_t>(border)] : pugi::xml_node();
    if (old && IsContinuous(Side(old, 0)) && IsContinuous(Side(old, 1)) && IsContinuous(Side(old, 2)) &&
        IsContinuous(Side(old, 3))) {
        borderedBorder[border] = border;
        return border;
    }
    const std::string p = PrefixOf(bordersNode);
    pugi::xml_node copy = old ? bordersNode.append_copy(old) : bordersNode.append_child((p + "border").c_str());
    for (int side = 0; side < 4; ++side) {
        pugi::xml_node n = Side(copy, side);
        if (!n) {
            pugi::xml_node before;
            for (pugi::xml_node c : copy.children())
                if (c.type() == pugi::node_element && SideOrder(c) > side) {
                    before = c;
                    break;
                }
            n = before ? copy.insert_child_before((p + kSides[side]).c_str(), before)
                       : copy.append_child((p + kSides[side]).c_str());
        }
        if (!IsContinuous(n)) {
            if (pugi::xml_attribute s = n.attribute("style"))
                s.set_value("thin");
            else
                n.append_attribute("style").set_value("thin");
        }
        if (!Child(n, "color"))
            n.append_child((p + "color").c_str()).append_attribute("indexed").set_value(64);
    }
    borders.push_back(copy);
    SetCount(bordersNode, borders.size());
    const int made = static_cast<int>(borders.size()) - 1;
    borderedBorder[border] = made;
    borderedBorder[made] = made;
    return made;
}

int TWorkbook::TData::BorderedXf(int xf)
{
    const int base = xf < 0 ? 0 : xf;
    if (const auto it = borderedXf.find(base); it != borderedXf.end())
        return it->second;
    if (!hasStyles || !cellXfsNode || static_cast<size_t>(base) >= xfs.size())
        throw EWorkbookError(file, QStringLiteral("工作簿的样式表缺少单元格格式 %1").arg(base));
    const pugi::xml_node old = xfs[static_cast<size_t>(base)];
    const int border = old.attribute("borderId").as_int(0);
    const int bordered = BorderedBorder(border);
    int result = base;
    if (bordered != border || !old.attribute("borderId")) {
        pugi::xml_node copy = cellXfsNode.append_copy(old);
        if (pugi::xml_attribute b = copy.attribute("borderId"))
            b.set_value(bordered);
        else
            copy.append_attribute("borderId").set_value(bordered);
        if (pugi::xml_attribute a = copy.attribute("applyBorder"))
            a.set_value("1");
        else
            copy.append_attribute("applyBorder").set_value("1");
        xfs.push_back(copy);
        SetCount(cellXfsNode, xfs.size());
        result = static_cast<int>(xfs.size()) - 1;
    }
    borderedXf[base] = result;
    borderedXf[result] = result;
    return result;
}

TCellLook TWorkbook::TData::LookOf(int xf) const
{
    TCellLook look;
    if (xf < 0)
        xf = 0;
    if (static_cast<size_t>(xf) >= xfs.size())
        return look;
    const pugi::xml_node x = xfs[static_cast<size_t>(xf)];
    const int fontId = x.attribute("fontId").as_int(0);
    if (fontId >= 0 && static_cast<size_t>(fontId) < fonts.size()) {
        const pugi::xml_node font = fonts[static_cast<size_t>(fontId)];
        look.fontName = QString::fromUtf8(Child(font, "name").attribute("val").value());
        look.fontSize = Child(font, "sz").attribute("val").as_double(11);
        if (const pugi::xml_node b = Child(font, "b"))
            look.bold = IsTrue(b.attribute("val"), true);
    }
    if (const pugi::xml_node a = Child(x, "alignment")) {
        const std::string h = a.attribute("horizontal").value();
        if (h == "left" || h == "fill" || h == "justify" || h == "distributed")
            look.horizontal = TCellLook::Left;
        else if (h == "center" || h == "centerContinuous")
            look.horizontal = TCellLook::Center;
        else if (h == "right")
            look.horizontal = TCellLook::Right;
        const std::string v = a.attribute("vertical").value();
        look.vertical = v == "center" ? TCellLook::Middle : v == "top" ? TCellLook::Top : TCellLook::Bottom;
        look.wrap = IsTrue(a.attribute("wrapText"), false);
    }
    const int borderId = x.attribute("borderId").as_int(0);
    if (borderId >= 0 && static_cast<size_t>(borderId) < borders.size()) {
        const pugi::xml_node b = borders[static_cast<size_t>(borderId)];
        look.left = HasLine(Side(b, 0));
        look.right = HasLine(Side(b, 1));
        look.top = HasLine(Side(b, 2));
        look.bottom = HasLine(Side(b, 3));
    }
    return look;
}

// ---------------------------------------------------------------------------------------------
// Writing

void TWorkbook::TData::WriteCell(std::string& out, const std::string& name, const TCell& cell, int row, int column)
{
    const std::string& p = prefix;
    out += '<';
    out += p;
    out += "c r=\"";
    out += name;
    out += '"';
    if (cell.style >= 0) {
        out += " s=\"";
        out += std::to_string(cell.style);
        out += '"';
    }
    auto element = [&out, &p](const char* tag, const std::string& text, bool escape) {
        out += '<';
        out += p;
        out += tag;
        out += '>';
        if (escape)
            AppendEscaped(out, text, false);
        else
            out += text;
        out += "</";
        out += p;
        out += tag;
        out += '>';
    };
    if (cell.formula) {
        const TFormulaCell& f = *cell.formula;
        std::string type, value;
        if (f.parsed) {
            TCellValue v;
            try {
                v = ValueOf(cell, row, column);
            } catch (const TCycle& cycle) {
                throw EWorkbookError(file, cycle.Reason());
            }
            if (v.kind == TCellKind::Error) {
                type = "e";
                value = v.text.toStdString();
            } else {
                value = ShortestNumberText(v.number);
            }
        } else {
            type = cell.storedType;
            value = cell.storedValue;
        }
        if (!type.empty()) {
            out += " t=\"";
            out += type;
            out += '"';
        }
        out += "><";
        out += p;
        out += 'f';
        AppendAttributes(out, f.attributes);
        out += '>';
        AppendEscaped(out, f.text, false);
        out += "</";
        out += p;
        out += "f>";
        if (!value.empty())
            element("v", value, true);
        out += "</";
        out += p;
        out += "c>";
        return;
    }
    switch (cell.kind) {
    case TCellKind::Empty:
        out += "/>";
        return;
    case TCellKind::Number:
        out += '>';
        element("v", ShortestNumberText(cell.number), false);
        break;
    case TCellKind::Boolean:
        out += " t=\"b\">";
        element("v", cell.number ? "1" : "0", false);
        break;
    case TCellKind::Error:
        out += " t=\"e\">";
        element("v", cell.text.toStdString(), true);
        break;
    case TCellKind::Text:
        if (cell.sharedString >= 0) {
            out += " t=\"s\">";
            element("v", std::to_string(cell.sharedString), false);
        } else {
            out += " t=\"inlineStr\"><";
            out += p;
            out += "is>";
            if (!cell.richText.empty()) {
                out += cell.richText;
            } else {
                const QByteArray utf8 = cell.text.toUtf8();
                const bool preserve = cell.text.contains(u' ') || cell.text.contains(u'\t') || cell.text.contains(u'\n') ||
                                      cell.text.contains(u'\r');
                out += '<';
                out += p;
                out += preserve ? "t xml:space=\"preserve\">" : "t>";
                AppendEscaped(out, utf8.constData(), utf8.constData() + utf8.size(), false);
                out += "</";
                out += p;
                out += "t>";
            }
            out += "</";
            out += p;
            out += "is>";
        }
        break;
    }
    out += "</";
    out += p;
    out += "c>";
}

std::string TWorkbook::TData::SheetXml()
{
    // The used range into the dimension.
    int top = 0, left = 0, bottom = 0, right = 0;
    for (const auto& [r, row] : rows) {
        if (row.cells.empty())
            continue;
        if (!top)
            top = r;
        bottom = r;
        const int first = row.cells.front().first, last = row.cells.back().first;
        left = left ? std::min(left, first) : first;
        right = std::max(right, last);
    }
    const QString ref = !top                               ? QStringLiteral("A1")
                        : (top == bottom && left == right) ? CellName(top, left)
                                                           : CellName(top, left) + u':' + CellName(bottom, right);
    pugi::xml_node worksheet = sheetDoc.document_element();
    pugi::xml_node dimension = Child(worksheet, "dimension");
    if (!dimension) {
        const std::string tag = prefix + "dimension";
        const pugi::xml_node sheetPr = Child(worksheet, "sheetPr");
        dimension = sheetPr ? worksheet.insert_child_after(tag.c_str(), sheetPr) : worksheet.prepend_child(tag.c_str());
    }
    if (pugi::xml_attribute a = dimension.attribute("ref"))
        a.set_value(ref.toLatin1().constData());
    else
        dimension.append_attribute("ref").set_value(ref.toLatin1().constData());

    const QByteArray rest = Serialize(sheetDoc);
    static const QByteArray mark = QByteArrayLiteral("<!--tallyra:sheetData-->");
    const qsizetype at = rest.indexOf(mark);
    if (at < 0)
        throw EWorkbookError(file, QStringLiteral("工作表无法写出"));

    std::string out;
    size_t cellCount = 0;
    for (const auto& [r, row] : rows)
        cellCount += row.cells.size();
    out.reserve(static_cast<size_t>(rest.size()) + cellCount * 64 + rows.size() * 32);
    out.append(rest.constData(), static_cast<size_t>(at));
    std::vector<std::string> columnNames;
    std::string name;
    for (const auto& [r, row] : rows) {
        const std::string number = std::to_string(r);
        out += '<';
        out += prefix;
        out += "row r=\"";
        out += number;
        out += '"';
        AppendAttributes(out, row.attributes);
        if (row.cells.empty()) {
            out += "/>";
            continue;
        }
        out += '>';
        for (const auto& [c, cell] : row.cells) {
            if (columnNames.size() <= static_cast<size_t>(c))
                columnNames.resize(static_cast<size_t>(c) + 1);
            std::string& column = columnNames[static_cast<size_t>(c)];
            if (column.empty())
                column = ColumnName(c).toStdString();
            name = column;
            name += number;
            WriteCell(out, name, cell, r, c);
        }
        out += "</";
        out += prefix;
        out += "row>";
    }
    out.append(rest.constData() + at + mark.size(), static_cast<size_t>(rest.size() - at - mark.size()));
    return out;
}

QByteArray TWorkbook::TData::Build()
{
    // Other programs recalculate on opening; the values stored are what they will show.
    pugi::xml_node workbook = Child(workbookDoc, "workbook");
    pugi::xml_node calcPr = Child(workbook, "calcPr");
    if (!calcPr) {
        pugi::xml_node after;
        for (const char* n : {"sheets", "functionGroups", "externalReferences", "definedNames"})
            if (pugi::xml_node c = Child(workbook, n))
                after = c;
        const std::string tag = PrefixOf(workbook) + "calcPr";
        calcPr = after ? workbook.insert_child_after(tag.c_str(), after) : workbook.append_child(tag.c_str());
    }
    if (pugi::xml_attribute a = calcPr.attribute("fullCalcOnLoad"))
        a.set_value("1");
    else
        calcPr.append_attribute("fullCalcOnLoad").set_value("1");

    // The calculation chain no longer matches the formulas: it goes, with what names it.
    bool dropChain = !calcChainPart.isEmpty();
    if (dropChain) {
        pugi::xml_node relationships = Child(workbookRelsDoc, "Relationships");
        for (pugi::xml_node r = relationships.first_child(); r;) {
            const pugi::xml_node next = r.next_sibling();
            if (Is(r, "Relationship") && EndsWith(r.attribute("Type").value(), "/calcChain"))
                relationships.remove_child(r);
            r = next;
        }
        if (Entry(QStringLiteral("[Content_Types].xml")) >= 0 && !contentTypesDoc.document_element()) {
            Parse(contentTypesDoc, Bytes(QStringLiteral("[Content_Types].xml")), file, QStringLiteral("[Content_Types].xml"));
            pugi::xml_node types = contentTypesDoc.document_element();
            const std::string partName = "/" + calcChainPart.toStdString();
            for (pugi::xml_node o = types.first_child(); o;) {
                const pugi::xml_node next = o.next_sibling();
                if (Is(o, "Override") && QString::fromUtf8(o.attribute("PartName").value())
                                                 .compare(QString::fromStdString(partName), Qt::CaseInsensitive) == 0)
                    types.remove_child(o);
                o = next;
            }
        }
    }

    const std::string sheet = SheetXml();
    std::vector<TZipEntry> out;
    out.reserve(entries.size());
    const QString relsPart = RelsOf(workbookPart).toLower();
    for (const TZipEntry& e : entries) {
        const QString name = QString::fromUtf8(e.name).toLower();
        if (dropChain && name == calcChainPart.toLower())
            continue;
        TZipEntry entry{e.name, e.data};
        if (name == sheetPart.toLower())
            entry.data = QByteArray(sheet.data(), static_cast<qsizetype>(sheet.size()));
        else if (hasStyles && name == stylesPart.toLower())
            entry.data = Serialize(stylesDoc);
        else if (name == workbookPart.toLower())
            entry.data = Serialize(workbookDoc);
        else if (dropChain && name == relsPart)
            entry.data = Serialize(workbookRelsDoc);
        else if (dropChain && contentTypesDoc.document_element() && name == QLatin1String("[content_types].xml"))
            entry.data = Serialize(contentTypesDoc);
        out.push_back(std::move(entry));
    }
    return WriteZip(out, file);
}

// ---------------------------------------------------------------------------------------------
// The workbook

TWorkbook::TWorkbook() : d(std::make_unique<TData>()) {}
TWorkbook::~TWorkbook() = default;
TWorkbook::TWorkbook(TWorkbook&&) noexcept = default;
TWorkbook& TWorkbook::operator=(TWorkbook&&) noexcept = default;

namespace {
void ReadFile(const QString& file, const std::function<void(QIODevice&)>& read)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw EWorkbookError(file, QStringLiteral("无法打开文件：") + f.errorString());
    read(f);
}

std::unique_ptr<TWorkbook::TData> ReadData(QIODevice& device, const QString& name, bool lazy)
{
    if (device.size() > kMaxPackageBytes)
        throw EWorkbookError(name, QStringLiteral("文件过大"));
    const QByteArray bytes = device.readAll();
    auto data = std::make_unique<TWorkbook::TData>();
    data->lazy = lazy;
    data->Load(bytes, name);
    return data;
}
}  // namespace

void TWorkbook::Open(const QString& file)
{
    ReadFile(file, [&](QIODevice& device) { Read(device, file); });
}

void TWorkbook::Read(QIODevice& device, const QString& name) { d = ReadData(device, name, false); }

void TWorkbook::Write(QIODevice& device, const QString& name)
{
    const QByteArray bytes = d->Build();
    if (device.write(bytes) != bytes.size())
        throw EWorkbookError(name, QStringLiteral("无法写入文件：") + device.errorString());
}

void TWorkbook::SaveAs(const QString& file)
{
    try {
        SaveWholeFile(file, [&](QIODevice& f) {
            Write(f, file);
            return true;
        });
    } catch (const EFileError& e) {
        // The file's own failures reach the callers as the workbook's.
        throw EWorkbookError(e.File(), e.Reason());
    }
}

void TWorkbook::SetText(int row, int column, const QString& text)
{
    TCell& c = d->At(row, column);
    c.ClearContent();
    c.kind = TCellKind::Text;
    c.text = text;
    d->Changed();
}

void TWorkbook::SetNumber(int row, int column, double value)
{
    if (!std::isfinite(value))
        throw EWorkbookError(d->file, QStringLiteral("%1 的数值无效").arg(CellName(row, column)));
    TCell& c = d->At(row, column);
    c.ClearContent();
    c.kind = TCellKind::Number;
    c.number = value == 0 ? 0 : value;
    c.text = GeneralNumberText(value);
    d->Changed();
}

void TWorkbook::SetFormula(int row, int column, const QString& formula)
{
    const QString text = formula.trimmed();
    std::optional<TParsedFormula> parsed;
    if (text.startsWith(u'='))
        parsed = ParseFormula(text.mid(1));
    if (!parsed)
        throw EWorkbookError(d->file, QStringLiteral("%1 的公式无法计算：%2").arg(CellName(row, column), formula));
    TCell& c = d->At(row, column);
    TCell previous;
    std::swap(previous, c);
    c.style = previous.style;
    c.formula = std::make_unique<TFormulaCell>();
    c.formula->text = text.mid(1).toStdString();
    c.formula->parsed = std::move(parsed);
    d->Changed();
    try {
        d->ValueOf(c, row, column);
    } catch (const TCycle& cycle) {
        std::swap(previous, c);
        d->Changed();
        throw EWorkbookError(d->file, cycle.tooDeep
                                          ? cycle.Reason()
                                          : QStringLiteral("%1 的公式循环引用：%2").arg(CellName(row, column), formula));
    }
}

void TWorkbook::SetBorders(const QString& from, const QString& to)
{
    int top = 0, left = 0, bottom = 0, right = 0;
    if (!ParseCellName(from, top, left) || !ParseCellName(to, bottom, right))
        throw EWorkbookError(d->file, QStringLiteral("单元格区域无效：%1:%2").arg(from, to));
    SetBorders(top, left, bottom, right);
}

void TWorkbook::SetBorders(int top, int left, int bottom, int right)
{
    if (top > bottom)
        std::swap(top, bottom);
    if (left > right)
        std::swap(left, right);
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c) {
            TCell& cell = d->At(r, c);
            cell.style = d->BorderedXf(cell.style);
        }
    d->Changed();
}

TCellValue TWorkbook::Value(int row, int column) const
{
    const TCell* c = d->Find(row, column);
    if (!c)
        return {};
    try {
        return d->ValueOf(*c, row, column);
    } catch (const TCycle& cycle) {
        throw EWorkbookError(d->file, cycle.Reason());
    }
}

QString TWorkbook::Formula(int row, int column) const
{
    const TCell* c = d->Find(row, column);
    return c && c->formula ? u'=' + QString::fromStdString(c->formula->text) : QString();
}

// Everything of the sheet but its cells: merges (clipped to the used range), column widths,
// page set-up and print titles. s holds the used range of the cells.
void TWorkbook::TData::FillFrame(TSheetContent& s) const
{
    s.defaultRowHeight = defaultRowHeight;
    const int cellRows = s.rows, cellColumns = s.columns;

    const pugi::xml_node worksheet = sheetDoc.document_element();
    for (pugi::xml_node m : Child(worksheet, "mergeCells").children()) {
        if (!Is(m, "mergeCell"))
            continue;
        const QStringList ends = QString::fromUtf8(m.attribute("ref").value()).split(u':');
        TCellRange range;
        if (ends.size() != 2 || !ParseCellName(ends[0], range.top, range.left) ||
            !ParseCellName(ends[1], range.bottom, range.right))
            continue;
        if (range.top > range.bottom)
            std::swap(range.top, range.bottom);
        if (range.left > range.right)
            std::swap(range.left, range.right);
        // Clipped to the cells: a merge over the whole sheet must not make a million empty rows
        // to show and print.
        if (range.top > cellRows || range.left > cellColumns)
            continue;
        range.bottom = std::min(range.bottom, cellRows);
        range.right = std::min(range.right, cellColumns);
        s.merges.push_back(range);
    }
    for (int c = 1; c <= s.columns; ++c) {
        double width = defaultColumnWidth;
        for (const TColumns& range : columns)
            if (c >= range.min && c <= range.max) {
                width = range.hidden ? 0 : range.width > 0 ? range.width : defaultColumnWidth;
                break;
            }
        s.columnWidths.push_back(width);
    }

    const pugi::xml_node setup = Child(worksheet, "pageSetup");
    s.landscape = std::strcmp(setup.attribute("orientation").value(), "landscape") == 0;
    s.paperSize = setup.attribute("paperSize").as_int(9);
    if (const pugi::xml_node margins = Child(worksheet, "pageMargins")) {
        s.marginLeft = margins.attribute("left").as_double(0.7);
        s.marginRight = margins.attribute("right").as_double(0.7);
        s.marginTop = margins.attribute("top").as_double(0.75);
        s.marginBottom = margins.attribute("bottom").as_double(0.75);
    }
    s.centredHorizontally = IsTrue(Child(worksheet, "printOptions").attribute("horizontalCentered"), false);

    // Print titles: a name of the first sheet, "'Sheet'!$1:$4" (perhaps after columns).
    for (pugi::xml_node n : Child(Child(workbookDoc, "workbook"), "definedNames").children()) {
        if (!Is(n, "definedName") || std::strcmp(n.attribute("name").value(), "_xlnm.Print_Titles") != 0 ||
            n.attribute("localSheetId").as_int(-1) != 0)
            continue;
        for (const QString& part : QString::fromUtf8(n.child_value()).split(u',')) {
            QString area = part.mid(part.lastIndexOf(u'!') + 1);
            area.remove(u'$');
            const QStringList ends = area.split(u':');
            bool ok1 = false, ok2 = false;
            if (ends.size() == 2) {
                const int first = ends[0].toInt(&ok1), last = ends[1].toInt(&ok2);
                if (ok1 && ok2 && first >= 1 && last >= first) {
                    s.titleFirstRow = first;
                    s.titleLastRow = last;
                }
            }
        }
    }
}

TSheetContent TWorkbook::Content() const
{
    TSheetContent s;
    std::unordered_map<int, int> lookIndex;
    auto look = [&](int xf) {
        xf = xf < 0 ? 0 : xf;
        const auto [it, added] = lookIndex.emplace(xf, static_cast<int>(s.looks.size()));
        if (added)
            s.looks.push_back(d->LookOf(xf));
        return it->second;
    };
    look(0);
    for (const auto& [r, row] : d->rows) {
        if (row.height > 0)
            s.rowHeights[r] = row.height;
        for (const auto& [c, cell] : row.cells) {
            TSheetContent::TCell out;
            out.row = r;
            out.column = c;
            try {
                out.value = d->ValueOf(cell, r, c);
            } catch (const TCycle& cycle) {
                throw EWorkbookError(d->file, cycle.Reason());
            }
            out.look = look(cell.style);
            s.rows = std::max(s.rows, r);
            s.columns = std::max(s.columns, c);
            s.cells.push_back(std::move(out));
        }
    }
    d->FillFrame(s);
    return s;
}

// ---------------------------------------------------------------------------------------------
// Reading for showing

TSheetReader::TSheetReader() = default;
TSheetReader::~TSheetReader() = default;
TSheetReader::TSheetReader(TSheetReader&&) noexcept = default;
TSheetReader& TSheetReader::operator=(TSheetReader&&) noexcept = default;

void TSheetReader::Open(const QString& file)
{
    ReadFile(file, [&](QIODevice& device) { Read(device, file); });
}

void TSheetReader::Read(QIODevice& device, const QString& name)
{
    std::unique_ptr<TWorkbook::TData> data = ReadData(device, name, true);
    TSheetContent frame;
    frame.rows = data->usedRows;
    frame.columns = data->usedColumns;
    // A row named twice takes the height of its last element, as TWorkbook reads it.
    for (size_t i = 0; i < data->rowNodes.size(); ++i) {
        const auto& [r, node] = data->rowNodes[i];
        if (i + 1 < data->rowNodes.size() && data->rowNodes[i + 1].first == r)
            continue;
        if (const double height = node.attribute("ht").as_double(0); height > 0)
            frame.rowHeights[r] = height;
    }
    frame.looks.push_back(data->LookOf(0));
    data->FillFrame(frame);
    d = std::move(data);
    m_frame = std::move(frame);
    m_looks.clear();
}

bool TSheetReader::Cell(int row, int column, TCellValue& value, TCellLook& look) const
{
    const TCell* cell = d ? d->Find(row, column) : nullptr;
    if (!cell)
        return false;
    try {
        value = d->ValueOf(*cell, row, column);
    } catch (const TCycle& cycle) {
        // Found only when the cell is shown: the cell says why it has no value.
        value = {TCellKind::Error, cycle.Reason(), 0};
    }
    const int xf = cell->style < 0 ? 0 : cell->style;
    auto it = m_looks.find(xf);
    if (it == m_looks.end())
        it = m_looks.emplace(xf, d->LookOf(xf)).first;
    look = it->second;
    return true;
}

// The template file "PrintTemplate.xml": GBK bytes declared "gb2312", no attributes.
#include "TPrintTemplate.h"

#include "core/PubFun.h"
#include "core/TextCodec.h"
#include "core/WholeFile.h"

#include <QDomDocument>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {
constexpr auto kDeclaration = "<?xml version=\"1.0\" encoding=\"gb2312\"?>";

// GBK is a superset of GB2312; files declared gb2312 often carry GBK characters.
bool IsGbkFamily(const QString& encoding)
{
    const QString e = encoding.toLower();
    return e == u"gb2312" || e == u"gbk" || e == u"cp936" || e == u"x-gbk" || e == u"ms936";
}

// A template is three elements deep (root, Item, its fields); anything deeper is not one, and
// is refused before a document is built of it (a DOM of 200,000 nested elements takes minutes).
constexpr int kMaxElementDepth = 3;

// A file that is not a template, with the reason.
struct TRefused : std::invalid_argument {
    explicit TRefused(const QString& reason) : std::invalid_argument(reason.toStdString()) {}
};

QString ReaderError(const QXmlStreamReader& reader)
{
    return QStringLiteral("XML 无法解析（第%1行）：%2").arg(reader.lineNumber()).arg(reader.errorString());
}

// Reads the prolog only: the declared encoding, and whether a DOCTYPE is present. A DTD is
// refused before anything of it is expanded (external entities, entity bombs).
void ReadProlog(const QByteArray& bytes, QString& encoding)
{
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            encoding = reader.documentEncoding().toString();
            break;
        case QXmlStreamReader::DTD:
            throw TRefused(QStringLiteral("文件含有 DOCTYPE"));
        case QXmlStreamReader::StartElement:
            return;
        default:
            break;
        }
    }
    throw TRefused(reader.hasError() ? ReaderError(reader) : QStringLiteral("文件中没有元素"));
}

// One pass over the whole document that builds nothing: well-formed, and no deeper than a template.
void CheckShape(QXmlStreamReader& reader)
{
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxElementDepth)
            throw TRefused(QStringLiteral("元素嵌套超过%1层（第%2行）").arg(kMaxElementDepth).arg(reader.lineNumber()));
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    if (reader.hasError())
        throw TRefused(ReaderError(reader));
}

void ParseDocument(const QByteArray& bytes, QDomDocument& doc)
{
    QString encoding;
    ReadProlog(bytes, encoding);
    QString text;
    const bool gbk = IsGbkFamily(encoding);
    if (gbk) {
        const std::optional<QString> decoded = FromGbk(bytes);
        if (!decoded)
            throw TRefused(QStringLiteral("文件声明为 %1，但含有不是 GBK 的字节").arg(encoding));
        text = *decoded;
    }
    auto reader = [&] {
        auto r = gbk ? std::make_unique<QXmlStreamReader>(text) : std::make_unique<QXmlStreamReader>(bytes);
        r->setEntityExpansionLimit(0);
        return r;
    };
    CheckShape(*reader());
    QString error;
    int line = 0;
    if (!doc.setContent(reader().get(), false, &error, &line))
        throw TRefused(QStringLiteral("XML 无法解析（第%1行）：%2").arg(line).arg(error));
}

// The value of an element: the text of its one text child. An empty element has none;
// mixed or nested content is an error.
enum class TValue { Text, Empty, Invalid };
TValue ElementValue(const QDomElement& e, QString& value)
{
    const QDomNodeList children = e.childNodes();
    if (children.isEmpty())
        return TValue::Empty;
    if (children.size() != 1 || !(children.at(0).isText() || children.at(0).isCDATASection()))
        return TValue::Invalid;
    value = children.at(0).nodeValue();
    return TValue::Text;
}

// Text elements read an empty element as the empty text, so that a written template with an
// empty text reads back.
void ReadText(const QDomElement& e, QString& into)
{
    QString value;
    switch (ElementValue(e, value)) {
    case TValue::Text:
        into = value;
        break;
    case TValue::Empty:
        into.clear();
        break;
    case TValue::Invalid:
        throw TRefused(QStringLiteral("%1 不是文本（第%2行）").arg(e.tagName()).arg(e.lineNumber()));
    }
}

void ReadNumber(const QDomElement& e, qint32& into)
{
    QString value;
    if (ElementValue(e, value) != TValue::Text)
        throw TRefused(QStringLiteral("%1 没有数值（第%2行）").arg(e.tagName()).arg(e.lineNumber()));
    const QString t = value.trimmed();
    const QString digits = t.startsWith(u'-') ? t.mid(1) : t;
    bool ok = IsDigits(digits);
    const qlonglong n = ok ? t.toLongLong(&ok) : 0;
    if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        throw TRefused(QStringLiteral("%1 不是整数：%2（第%3行）").arg(e.tagName(), value.left(40)).arg(e.lineNumber()));
    into = static_cast<qint32>(n);
}

void ReadItem(const QDomElement& e, TPrintDateItem& item, QString& detail)
{
    auto child = [&e](const char* name) { return e.firstChildElement(QLatin1String(name)); };
    if (QDomElement c = child("ItemFontName"); !c.isNull())
        ReadText(c, item.ItemFontName);
    const QDomElement fontSize = child("ItemFontSize");
    if (!fontSize.isNull())
        ReadNumber(fontSize, item.ItemFontSize);
    if (QDomElement c = child("ItemName"); !c.isNull()) {
        ReadText(c, item.ItemName);
        detail = detail.isEmpty() ? item.ItemName : detail + u',' + item.ItemName;
    }
    if (QDomElement c = child("ItemLength"); !c.isNull())
        ReadNumber(c, item.ItemMaxLength);
    if (QDomElement c = child("ItemNewLine"); !c.isNull())
        ReadNumber(c, item.ItemNewLine);
    if (QDomElement c = child("ItemPrtX"); !c.isNull())
        ReadNumber(c, item.ItemPosX);
    if (QDomElement c = child("ItemPrtY"); !c.isNull())
        ReadNumber(c, item.ItemPosY);
    if (QDomElement c = child("ItemDisName"); !c.isNull())
        ReadText(c, item.ItemDisName);
    // A size the file gives must be one a font can have; a missing one stays 0 as read.
    if (!fontSize.isNull() && (item.ItemFontSize < kMinFontSize || item.ItemFontSize > kMaxFontSize))
        throw TRefused(QStringLiteral("打印模板项目“%1”的字号 %2 超出范围（%3～%4）")
                           .arg(item.ItemName)
                           .arg(item.ItemFontSize)
                           .arg(kMinFontSize)
                           .arg(kMaxFontSize));
}

}  // namespace

bool TPrintTemplate::LoadFromXML(QIODevice& device, QString* error)
{
    Clear();
    try {
        QByteArray bytes;
        QDomDocument doc;
        if (!ReadDevice(device, bytes))
            throw TRefused(QStringLiteral("文件无法读取：") + device.errorString());
        ParseDocument(bytes, doc);
        // Missing header elements keep what the template had; the name list is rebuilt.
        TPrintTemplate read;
        read.TmpDesc = TmpDesc;
        read.TmpIsDefault = TmpIsDefault;
        read.PageWidth = PageWidth;
        read.PageHeight = PageHeight;
        read.PrintWay = PrintWay;
        const QDomElement root = doc.documentElement();  // its name is not checked
        for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            const QString name = e.tagName();
            if (name == u"TemplateDesc")
                ReadText(e, read.TmpDesc);
            else if (name == u"IsDefault")
                ReadText(e, read.TmpIsDefault);
            else if (name == u"PrintWay")
                ReadText(e, read.PrintWay);
            else if (name == u"PageWidth")
                ReadNumber(e, read.PageWidth);
            else if (name == u"PageHeight")
                ReadNumber(e, read.PageHeight);
            else if (name == u"Item")
                ReadItem(e, read.Add(), read.TmpDetail);
        }
        if (const QString range = TemplateRangeError(read, false); !range.isEmpty())
            throw TRefused(range);
        AssignFrom(std::move(read));
        return true;
    } catch (const std::exception& e) {
        Clear();
        if (error)
            *error = QString::fromUtf8(e.what());
        return false;
    }
}

bool TPrintTemplate::LoadFromXML(const QString& fileName, QString* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Clear();
        if (error)
            *error = QStringLiteral("文件无法打开：") + file.errorString();
        return false;
    }
    return LoadFromXML(file, error);
}

bool TPrintTemplate::SaveToXML(QIODevice& device) const
{
    try {
        QString text = QLatin1String(kDeclaration);
        QXmlStreamWriter w(&text);
        w.setAutoFormatting(false);
        w.writeStartElement(QStringLiteral("InvoiceTemplate"));
        w.writeTextElement(QStringLiteral("TemplateDesc"), TmpDesc);
        w.writeTextElement(QStringLiteral("PageWidth"), QString::number(PageWidth));
        w.writeTextElement(QStringLiteral("PageHeight"), QString::number(PageHeight));
        w.writeTextElement(QStringLiteral("IsDefault"), TmpIsDefault);
        // Written so that the orientation survives a round trip; older readers skip it.
        w.writeTextElement(QStringLiteral("PrintWay"), PrintWay);
        for (const TPrintDateItem& item : m_items) {
            w.writeStartElement(QStringLiteral("Item"));
            w.writeTextElement(QStringLiteral("ItemName"), item.ItemName);
            w.writeTextElement(QStringLiteral("ItemDisName"), item.ItemDisName);
            w.writeTextElement(QStringLiteral("ItemLength"), QString::number(item.ItemMaxLength));
            w.writeTextElement(QStringLiteral("ItemNewLine"), QString::number(item.ItemNewLine));
            w.writeTextElement(QStringLiteral("ItemPrtX"), QString::number(item.ItemPosX));
            w.writeTextElement(QStringLiteral("ItemPrtY"), QString::number(item.ItemPosY));
            w.writeTextElement(QStringLiteral("ItemFontName"), item.ItemFontName);
            w.writeTextElement(QStringLiteral("ItemFontSize"), QString::number(item.ItemFontSize));
            w.writeEndElement();
        }
        w.writeEndElement();
        if (w.hasError())
            return false;
        const std::optional<QByteArray> bytes = ToGbk(text);  // refuses what GBK cannot hold
        if (!bytes)
            return false;
        if (!device.isOpen() && !device.open(QIODevice::WriteOnly))
            return false;
        return device.write(*bytes) == bytes->size();
    } catch (const std::exception&) {
        return false;
    }
}

bool TPrintTemplate::SaveToXML(const QString& fileName) const
{
    try {
        SaveWholeFile(fileName, [this](QIODevice& file) { return SaveToXML(file); });
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

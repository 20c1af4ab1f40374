// The template file "PrintTemplate.xml": GBK bytes declared "gb2312", no attributes.
#include "TPrintTemplate.h"

#include "core/PubFun.h"
#include "core/TextCodec.h"

#include <QDomDocument>
#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <limits>
#include <optional>

namespace {
constexpr auto kDeclaration = "<?xml version=\"1.0\" encoding=\"gb2312\"?>";

// GBK is a superset of GB2312; files declared gb2312 often carry GBK characters.
bool IsGbkFamily(const QString& encoding)
{
    const QString e = encoding.toLower();
    return e == u"gb2312" || e == u"gbk" || e == u"cp936" || e == u"x-gbk" || e == u"ms936";
}

// Reads the prolog only: the declared encoding, and whether a DOCTYPE is present. A DTD is
// refused before anything of it is expanded (external entities, entity bombs).
bool ReadProlog(const QByteArray& bytes, QString& encoding)
{
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            encoding = reader.documentEncoding().toString();
            break;
        case QXmlStreamReader::DTD:
            return false;
        case QXmlStreamReader::StartElement:
            return true;
        default:
            break;
        }
    }
    return false;  // an error, or no element at all
}

bool ParseDocument(const QByteArray& bytes, QDomDocument& doc)
{
    QString encoding;
    if (!ReadProlog(bytes, encoding))
        return false;
    std::optional<QXmlStreamReader> reader;
    if (IsGbkFamily(encoding)) {
        const std::optional<QString> text = FromGbk(bytes);
        if (!text)
            return false;
        reader.emplace(*text);
    } else {
        reader.emplace(bytes);  // UTF-8, UTF-16 and what else the reader knows
    }
    reader->setEntityExpansionLimit(0);
    return doc.setContent(&*reader, false);
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
        throw std::invalid_argument("element without a text value");
    }
}

void ReadNumber(const QDomElement& e, qint32& into)
{
    QString value;
    if (ElementValue(e, value) != TValue::Text)
        throw std::invalid_argument("number element without a value");
    const QString t = value.trimmed();
    const QString digits = t.startsWith(u'-') ? t.mid(1) : t;
    bool ok = IsDigits(digits);
    const qlonglong n = ok ? t.toLongLong(&ok) : 0;
    if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        throw std::invalid_argument("not a whole number");
    into = static_cast<qint32>(n);
}

void ReadItem(const QDomElement& e, TPrintDateItem& item, QString& detail)
{
    auto child = [&e](const char* name) { return e.firstChildElement(QLatin1String(name)); };
    if (QDomElement c = child("ItemFontName"); !c.isNull())
        ReadText(c, item.ItemFontName);
    if (QDomElement c = child("ItemFontSize"); !c.isNull())
        ReadNumber(c, item.ItemFontSize);
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
}

}  // namespace

bool TPrintTemplate::LoadFromXML(QIODevice& device)
{
    Clear();
    try {
        QByteArray bytes;
        QDomDocument doc;
        if (!ReadDevice(device, bytes) || !ParseDocument(bytes, doc))
            return false;
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
        AssignFrom(std::move(read));
        return true;
    } catch (const std::exception&) {
        Clear();
        return false;
    }
}

bool TPrintTemplate::LoadFromXML(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Clear();
        return false;
    }
    return LoadFromXML(file);
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
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!SaveToXML(static_cast<QIODevice&>(file))) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

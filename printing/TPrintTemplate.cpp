#include "TPrintTemplate.h"

#include "core/Errors.h"
#include "core/TADODB.h"

#include <QSqlError>

#include <algorithm>
#include <limits>
#include <stdexcept>

TPrintDateItem& TPrintTemplate::Add()
{
    m_items.emplace_back();
    return m_items.back();
}

TPrintDateItem& TPrintTemplate::GetItem(int index)
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("list index out of bounds (" + std::to_string(index) + ")");
    return m_items[static_cast<size_t>(index)];
}

const TPrintDateItem& TPrintTemplate::GetItem(int index) const { return const_cast<TPrintTemplate*>(this)->GetItem(index); }

int TPrintTemplate::IndexOfName(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<size_t>(i)].ItemName == name)
            return i;
    return -1;
}

QString TPrintTemplate::GetValueString() const
{
    QString result;
    for (const TPrintDateItem& item : m_items) {
        if (item.Value.isNull()) {
            result += u'^';
            continue;
        }
        const QString text = item.Value.toString();
        if (result.isEmpty())
            result = text;
        else
            result += u'^' + text;
    }
    return result;
}

void TPrintTemplate::ClearValues()
{
    for (TPrintDateItem& item : m_items)
        item.Value = QVariant();
}

void TPrintTemplate::AssignFrom(TPrintTemplate&& other)
{
    TmpDesc = std::move(other.TmpDesc);
    TmpIsDefault = std::move(other.TmpIsDefault);
    PageWidth = other.PageWidth;
    PageHeight = other.PageHeight;
    TmpDetail = std::move(other.TmpDetail);
    PrintWay = std::move(other.PrintWay);
    m_items = std::move(other.m_items);
}

namespace {
// A stored value that must be present: Null is a conversion error, as is a number column
// holding anything but a whole number in range.
QString RequiredText(const QVariant& v, const char* column)
{
    if (v.isNull())
        throw EConvertError(QStringLiteral("%1 is null").arg(QLatin1String(column)));
    return v.toString();
}

qint32 RequiredInt(const QVariant& v, const char* column)
{
    bool ok = false;
    const qlonglong n = v.isNull() ? 0 : v.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        throw EConvertError(QStringLiteral("%1 is not a whole number").arg(QLatin1String(column)));
    return static_cast<qint32>(n);
}
}  // namespace

bool TPrintTemplate::LoadFromDB(TADODB& db)
{
    Clear();
    db.Connect();
    try {
        // Read into a template of its own so that a failure never leaves a half template.
        TPrintTemplate read;
        QSqlQuery head = db.Run(QStringLiteral("select TmpNO, TmpDesc, TmpDetail, TmpIsDefault, PageWidth, PageHeight, PrintWay "
                                               "from PrintTemplate where TmpIsDefault = :def order by rowid limit 1"),
                                {{QStringLiteral("def"), QStringLiteral("1")}});
        if (!head.next())
            return false;
        const qint32 tmpNo = RequiredInt(head.value(0), "TmpNO");
        read.TmpDesc = RequiredText(head.value(1), "TmpDesc");
        read.TmpDetail = RequiredText(head.value(2), "TmpDetail");
        read.TmpIsDefault = RequiredText(head.value(3), "TmpIsDefault");
        read.PageWidth = RequiredInt(head.value(4), "PageWidth");
        read.PageHeight = RequiredInt(head.value(5), "PageHeight");
        read.PrintWay = RequiredText(head.value(6), "PrintWay");
        head.finish();

        // The rows come back in the order SaveToDB wrote them.
        QSqlQuery items =
            db.Run(QStringLiteral("select ItemName, ItemMaxLength, ItemFontName, ItemFontSize, ItemNewLine, ItemPosX, "
                                  "ItemPosY, ItemDisName from PrintTemplateItem where TmpNO = :no order by ItemNo, rowid"),
                   {{QStringLiteral("no"), tmpNo}});
        while (items.next()) {
            TPrintDateItem& item = read.Add();
            item.ItemName = RequiredText(items.value(0), "ItemName");
            item.ItemMaxLength = RequiredInt(items.value(1), "ItemMaxLength");
            item.ItemFontName = RequiredText(items.value(2), "ItemFontName");
            item.ItemFontSize = RequiredInt(items.value(3), "ItemFontSize");
            item.ItemNewLine = RequiredInt(items.value(4), "ItemNewLine");
            item.ItemPosX = RequiredInt(items.value(5), "ItemPosX");
            item.ItemPosY = RequiredInt(items.value(6), "ItemPosY");
            item.ItemDisName = items.value(7).toString();  // Null reads as an empty name
        }
        if (items.lastError().isValid())
            throw EDatabaseError(items.lastError().text());
        AssignFrom(std::move(read));
        return true;
    } catch (const std::exception&) {
        Clear();
        return false;
    }
}

bool TPrintTemplate::SaveToDB(TADODB& db)
{
    db.Connect();
    try {
        // A text that was never set is stored empty: a NULL would make the template unloadable.
        db.RunInTransaction([&] {
            // A delete that fails would leave the old rows beside the new ones.
            if (db.ExecSQL(QStringLiteral("delete from PrintTemplate")) < 0 ||
                db.ExecSQL(QStringLiteral("delete from PrintTemplateItem")) < 0)
                throw EDatabaseError(db.LastErrorText());
            const int tmpNo = 1;
            if (db.ExecSQL(
                    QStringLiteral(
                        "insert into PrintTemplate(TmpNO, TmpDesc, TmpDetail, TmpIsDefault, PageWidth, PageHeight, PrintWay) "
                        "values(:no, :desc, :detail, :def, :w, :h, :way)"),
                    {{QStringLiteral("no"), tmpNo},
                     {QStringLiteral("desc"), TextParam(TmpDesc)},
                     {QStringLiteral("detail"), TextParam(TmpDetail)},
                     {QStringLiteral("def"), TextParam(TmpIsDefault)},
                     {QStringLiteral("w"), PageWidth},
                     {QStringLiteral("h"), PageHeight},
                     {QStringLiteral("way"), TextParam(PrintWay)}}) != 1)
                throw EDatabaseError(db.LastErrorText());
            int itemNo = 0;
            for (const TPrintDateItem& item : m_items) {
                if (db.ExecSQL(
                        QStringLiteral("insert into PrintTemplateItem(ItemNo, TmpNO, ItemName, ItemMaxLength, ItemFontName, "
                                       "ItemFontSize, ItemNewLine, ItemPosY, ItemPosX, ItemDisName) "
                                       "values(:itemNo, :no, :name, :len, :font, :size, :newLine, :y, :x, :disName)"),
                        {{QStringLiteral("itemNo"), ++itemNo},
                         {QStringLiteral("no"), tmpNo},
                         {QStringLiteral("name"), TextParam(item.ItemName)},
                         {QStringLiteral("len"), item.ItemMaxLength},
                         {QStringLiteral("font"), TextParam(item.ItemFontName)},
                         {QStringLiteral("size"), item.ItemFontSize},
                         {QStringLiteral("newLine"), item.ItemNewLine},
                         {QStringLiteral("y"), item.ItemPosY},
                         {QStringLiteral("x"), item.ItemPosX},
                         {QStringLiteral("disName"), TextParam(item.ItemDisName)}}) != 1)
                    throw EDatabaseError(db.LastErrorText());
            }
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

namespace {
QString ItemLabel(const TPrintDateItem& item)
{
    return QStringLiteral("打印模板项目“%1”").arg(item.ItemName.isEmpty() ? item.ItemDisName.left(20) : item.ItemName);
}

QString OutOfRange(const QString& what, qint64 value, qint64 low, qint64 high, const char* unit)
{
    return QStringLiteral("%1 %2 超出范围（%3～%4%5）").arg(what).arg(value).arg(low).arg(high).arg(QString::fromUtf8(unit));
}
}  // namespace

QString TemplateRangeError(const TPrintTemplate& tpl, bool fontSizeRequired)
{
    if (tpl.PageWidth < 0 || tpl.PageWidth > kMaxPaperMm)
        return OutOfRange(QStringLiteral("打印模板的纸张宽度"), tpl.PageWidth, 0, kMaxPaperMm, " 毫米");
    if (tpl.PageHeight < 0 || tpl.PageHeight > kMaxPaperMm)
        return OutOfRange(QStringLiteral("打印模板的纸张高度"), tpl.PageHeight, 0, kMaxPaperMm, " 毫米");
    // Turned to landscape the sheet's width is its height: either side bounds either position.
    const int side = std::max(tpl.PageWidth, tpl.PageHeight);
    const int width = side > 0 ? side : kMaxPaperMm;
    const int height = width;
    for (int i = 0; i < tpl.Count(); ++i) {
        const TPrintDateItem& item = tpl.GetItem(i);
        if ((fontSizeRequired || item.ItemFontSize != 0) &&
            (item.ItemFontSize < kMinFontSize || item.ItemFontSize > kMaxFontSize))
            return OutOfRange(ItemLabel(item) + QStringLiteral("的字号"), item.ItemFontSize, kMinFontSize, kMaxFontSize, "");
        if (item.ItemMaxLength < 0 || item.ItemMaxLength > kMaxItemLength)
            return OutOfRange(ItemLabel(item) + QStringLiteral("的长度"), item.ItemMaxLength, 0, kMaxItemLength, " 毫米");
        if (item.ItemPosX < -width || item.ItemPosX > width)
            return OutOfRange(ItemLabel(item) + QStringLiteral("的横向位置"), item.ItemPosX, -width, width, " 毫米");
        if (item.ItemPosY < -height || item.ItemPosY > height)
            return OutOfRange(ItemLabel(item) + QStringLiteral("的纵向位置"), item.ItemPosY, -height, height, " 毫米");
    }
    return {};
}

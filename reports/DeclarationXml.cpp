#include "DeclarationXml.h"

#include "core/Errors.h"
#include "core/MyType.h"
#include "core/PubFun.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"

#include <QSaveFile>
#include <QSqlQuery>
#include <charconv>
#include <cmath>
#include <pugixml.hpp>
#include <sstream>

namespace {
// General form with at most 15 significant digits, as C's "%.15g".
QString General15(double v)
{
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    return QString::fromLatin1(buf, r.ptr - buf);
}

bool HasControl(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

class TElements {
public:
    void Open(const char* name) { m_text += u'<' + QLatin1String(name) + u'>'; }
    void Close(const char* name) { m_text += QLatin1String("</") + QLatin1String(name) + u'>'; }
    // An element holding text; empty text gives <X/>.
    void Leaf(const char* name, const QString& text, int row)
    {
        if (HasControl(text))
            throw EConvertError(QStringLiteral("第%1行%2的值含有控制字符").arg(row).arg(QLatin1String(name)));
        if (text.isEmpty()) {
            m_text += u'<' + QLatin1String(name) + QLatin1String("/>");
            return;
        }
        Open(name);
        for (const QChar c : text) {
            if (c == u'&')
                m_text += QLatin1String("&amp;");
            else if (c == u'<')
                m_text += QLatin1String("&lt;");
            else if (c == u'>')
                m_text += QLatin1String("&gt;");
            else
                m_text += c;
        }
        Close(name);
    }
    QString& Text() { return m_text; }

private:
    QString m_text;
};
}  // namespace

QString DeclarationStatement()
{
    return QStringLiteral("select fpdm,fphm,SCCJ,cpxh,cjhm,jwjehj from SaleDetail where (fpzt=:normal or fpzt=:negative) "
                          "and substr(kprq,1,7)=:month order by kprq,fpdm,fphm");
}

std::vector<TDeclarationRow> QueryDeclarationRows(TADODB& db, const QString& month)
{
    QSqlQuery q(db.Connection());
    q.setForwardOnly(true);
    if (!db.Execute(q, DeclarationStatement(),
                    {{QStringLiteral("normal"), InvoiceState::Normal},
                     {QStringLiteral("negative"), InvoiceState::Negative},
                     {QStringLiteral("month"), month}}))
        throw EDatabaseError(db.LastErrorText());
    std::vector<TDeclarationRow> rows;
    while (FetchNext(q))
        rows.push_back({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), q.value(5)});
    return rows;
}

QString DeclarationFileName(const QString& taxId, const QDate& day)
{
    return QStringLiteral("SB_") + taxId + u'_' + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("_JDC_QYJDCXSFPB.xml");
}

QByteArray DeclarationXml(const QString& corpName, const QString& taxId, const QString& reportMonth,
                          const std::vector<TDeclarationRow>& rows)
{
    TElements x;
    x.Text().reserve(200 + static_cast<qsizetype>(rows.size()) * 420);
    x.Text() += QLatin1String("<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n");
    x.Open("JDC_QYJDCXSFPB");
    x.Open("JDC_QYJDCXSFPB_BTXX");
    x.Leaf("JDC_QYJDCXSFPB_NSRMC", corpName, 0);
    x.Leaf("JDC_QYJDCXSFPB_NSRSBH", taxId, 0);
    x.Leaf("JDC_QYJDCXSFPB_SSQ", reportMonth.left(4) + reportMonth.mid(5, 2), 0);
    x.Close("JDC_QYJDCXSFPB_BTXX");
    if (rows.empty())
        x.Leaf("JDC_QYJDCXSFPB_MXXX", QString(), 0);
    else
        x.Open("JDC_QYJDCXSFPB_MXXX");
    double total = 0;
    int number = 0;
    for (const TDeclarationRow& r : rows) {
        ++number;
        bool ok = false;
        const double amount = r.jwjehj.toDouble(&ok);
        if (r.jwjehj.isNull() || !ok || !std::isfinite(amount))
            throw EConvertError(QStringLiteral("第%1行的价费合计金额不是数值").arg(number));
        x.Open("JDC_QYJDCXSFPB_LC");
        x.Leaf("JDC_QYJDCXSFPB_XH", QString::number(number), number);
        x.Leaf("JDC_QYJDCXSFPB_FPDM", r.fpdm.toString(), number);
        x.Leaf("JDC_QYJDCXSFPB_FPHM", r.fphm.toString(), number);
        x.Leaf("JDC_QYJDCXSFPB_SCQYMC", r.sccj.toString(), number);
        x.Leaf("JDC_QYJDCXSFPB_CPXH", r.cpxh.toString(), number);
        x.Leaf("JDC_QYJDCXSFPB_CJHMHCLSBDM", r.cjhm.toString(), number);
        x.Leaf("JDC_QYJDCXSFPB_JFHJJE", General15(amount), number);
        x.Close("JDC_QYJDCXSFPB_LC");
        total += amount;
    }
    if (!rows.empty())
        x.Close("JDC_QYJDCXSFPB_MXXX");
    x.Open("JDC_QYJDCXSFPB_HJ");
    x.Leaf("JDC_QYJDCXSFPB_JFHJJE_HJ", FormatAmount(total), 0);
    x.Close("JDC_QYJDCXSFPB_HJ");
    x.Close("JDC_QYJDCXSFPB");
    x.Text() += QLatin1String("\r\n");
    const std::optional<QByteArray> gbk = ToGbk(x.Text());
    if (!gbk)
        throw EConvertError(QStringLiteral("含有GBK不能表示的字符"));
    return *gbk;
}

void SaveFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EInOutError(file.errorString());
}

QString DeclarationViewText(const QByteArray& fileBytes)
{
    const std::optional<QString> text = FromGbk(fileBytes);
    if (!text)
        return {};
    const QByteArray utf8 = text->toUtf8();
    pugi::xml_document doc;
    if (!doc.load_buffer(utf8.constData(), static_cast<size_t>(utf8.size()),
                         pugi::parse_default | pugi::parse_declaration, pugi::encoding_utf8))
        return *text;
    std::ostringstream out;
    doc.save(out, "    ", pugi::format_indent, pugi::encoding_utf8);
    return QString::fromStdString(out.str());
}

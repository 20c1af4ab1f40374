#include "DeclarationXml.h"

#include "core/Errors.h"
#include "core/MyType.h"
#include "core/PubFun.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"

#include <QSqlQuery>
#include <algorithm>
#include <charconv>
#include <string_view>
#include <cmath>

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

// The first character of text that GBK does not have; empty when it has them all.
QString FirstNotInGbk(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, n);
        if (!ToGbk(c))
            return c;
        i += n - 1;
    }
    return {};
}

// Where a value stands, for the reasons: an invoice's column, or a field of the header. Made into
// words only when a reason needs them.
struct TPlace {
    const TDeclarationRow* invoice = nullptr;
    const char* column = "";
    QString Text() const
    {
        const QString name = QString::fromUtf8(column);
        return invoice ? QStringLiteral("发票 %1 %2 的").arg(invoice->fpdm.toString(), invoice->fphm.toString()) + name : name;
    }
};

class TElements {
public:
    // Appended piece by piece: a concatenated tag would be a string made and freed per tag.
    void Open(const char* name)
    {
        m_text += u'<';
        m_text += QLatin1String(name);
        m_text += u'>';
    }
    void Close(const char* name)
    {
        m_text += QLatin1String("</");
        m_text += QLatin1String(name);
        m_text += u'>';
    }
    // An element holding text; empty text gives <X/>.
    void Leaf(const char* name, const QString& text, const TPlace& place)
    {
        if (HasControl(text))
            throw EConvertError(place.Text() + QStringLiteral("含有控制字符"));
        if (text.isEmpty()) {
            m_text += u'<';
            m_text += QLatin1String(name);
            m_text += QLatin1String("/>");
            return;
        }
        Open(name);
        const auto special = [](QChar c) { return c == u'&' || c == u'<' || c == u'>'; };
        if (std::none_of(text.begin(), text.end(), special)) {
            m_text += text;  // most values: no escape, appended whole
            Close(name);
            return;
        }
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

// The first value of the file with a character GBK lacks, named by where it stands.
[[noreturn]] void NotInGbk(const QString& corpName, const QString& taxId, const std::vector<TDeclarationRow>& rows)
{
    const auto check = [](const TPlace& place, const QString& text) {
        if (const QString c = FirstNotInGbk(text); !c.isEmpty())
            throw EConvertError(place.Text() + QStringLiteral("含有 GBK 没有的字符 ") + c);
    };
    check({nullptr, "企业名称"}, corpName);
    check({nullptr, "纳税人识别号"}, taxId);
    for (const TDeclarationRow& r : rows) {
        check({&r, "发票代码"}, r.fpdm.toString());
        check({&r, "发票号码"}, r.fphm.toString());
        check({&r, "生产企业名称"}, r.sccj.toString());
        check({&r, "车辆型号"}, r.cpxh.toString());
        check({&r, "车架号码"}, r.cjhm.toString());
    }
    throw EConvertError(QStringLiteral("含有 GBK 没有的字符"));
}
}  // namespace

QString DeclarationStatement()
{
    return QStringLiteral(
        "select fpdm,fphm,SCCJ,cpxh,cjhm,jwjehj from SaleDetail where (fpzt=:normal or fpzt=:negative) "
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
    return QStringLiteral("SB_") + taxId + u'_' + day.toString(QStringLiteral("yyyyMMdd")) +
           QStringLiteral("_JDC_QYJDCXSFPB.xml");
}

QByteArray DeclarationXml(const QString& corpName, const QString& taxId, const QString& reportMonth,
                          const std::vector<TDeclarationRow>& rows)
{
    TElements x;
    x.Text().reserve(200 + static_cast<qsizetype>(rows.size()) * 420);
    x.Text() += QLatin1String("<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n");
    x.Open("JDC_QYJDCXSFPB");
    x.Open("JDC_QYJDCXSFPB_BTXX");
    x.Leaf("JDC_QYJDCXSFPB_NSRMC", corpName, {nullptr, "企业名称"});
    x.Leaf("JDC_QYJDCXSFPB_NSRSBH", taxId, {nullptr, "纳税人识别号"});
    x.Leaf("JDC_QYJDCXSFPB_SSQ", reportMonth.left(4) + reportMonth.mid(5, 2), {nullptr, "所属期"});
    x.Close("JDC_QYJDCXSFPB_BTXX");
    if (rows.empty())
        x.Leaf("JDC_QYJDCXSFPB_MXXX", QString(), {});
    else
        x.Open("JDC_QYJDCXSFPB_MXXX");
    double total = 0;
    int number = 0;
    for (const TDeclarationRow& r : rows) {
        ++number;
        bool ok = false;
        const double amount = r.jwjehj.toDouble(&ok);
        if (r.jwjehj.isNull() || !ok || !std::isfinite(amount))
            throw EConvertError(TPlace{&r, "价费合计金额"}.Text() + QStringLiteral("不是数值"));
        x.Open("JDC_QYJDCXSFPB_LC");
        x.Leaf("JDC_QYJDCXSFPB_XH", QString::number(number), {});
        x.Leaf("JDC_QYJDCXSFPB_FPDM", r.fpdm.toString(), {&r, "发票代码"});
        x.Leaf("JDC_QYJDCXSFPB_FPHM", r.fphm.toString(), {&r, "发票号码"});
        x.Leaf("JDC_QYJDCXSFPB_SCQYMC", r.sccj.toString(), {&r, "生产企业名称"});
        x.Leaf("JDC_QYJDCXSFPB_CPXH", r.cpxh.toString(), {&r, "车辆型号"});
        x.Leaf("JDC_QYJDCXSFPB_CJHMHCLSBDM", r.cjhm.toString(), {&r, "车架号码"});
        x.Leaf("JDC_QYJDCXSFPB_JFHJJE", General15(amount), {});
        x.Close("JDC_QYJDCXSFPB_LC");
        total += amount;
    }
    if (!rows.empty())
        x.Close("JDC_QYJDCXSFPB_MXXX");
    x.Open("JDC_QYJDCXSFPB_HJ");
    x.Leaf("JDC_QYJDCXSFPB_JFHJJE_HJ", FormatAmount(total), {});
    x.Close("JDC_QYJDCXSFPB_HJ");
    x.Close("JDC_QYJDCXSFPB");
    x.Text() += QLatin1String("\r\n");
    if (std::optional<QByteArray> gbk = ToGbk(x.Text()))
        return *gbk;
    NotInGbk(corpName, taxId, rows);
}

void TDeclarationLines::SetFile(const QByteArray& fileBytes, const QFontMetrics& metrics)
{
    beginResetModel();
    m_lines.clear();
    m_text = GbkToUtf8(fileBytes).value_or(QByteArray());
    const std::string_view v(m_text.constData(), static_cast<size_t>(m_text.size()));
    const qsizetype n = m_text.size();
    const auto next = [&](char c, qsizetype from) {
        const size_t at = v.find(c, static_cast<size_t>(from));
        return at == std::string_view::npos ? n : static_cast<qsizetype>(at);
    };
    const auto past = [&](std::string_view what, qsizetype from) {
        const size_t at = v.find(what, static_cast<size_t>(from));
        return at == std::string_view::npos ? n : static_cast<qsizetype>(at + what.size());
    };
    int depth = 0;
    for (qsizetype i = 0; i < n;) {
        if (v[i] == ' ' || v[i] == '\t' || v[i] == '\r' || v[i] == '\n') {
            ++i;
            continue;
        }
        qsizetype end;
        int at = depth;
        const char second = i + 1 < n ? v[i + 1] : 0;
        if (v[i] != '<') {
            end = next('<', i);
        } else if (second == '?') {
            end = past("?>", i);
        } else if (second == '!') {
            end = past(v.substr(i).substr(0, 4) == "<!--" ? "-->" : ">", i);
        } else if (second == '/') {
            at = depth = std::max(depth - 1, 0);
            end = past(">", i);
        } else {
            end = past(">", i);
            if (end - i < 2 || v[end - 2] != '/') {
                // An element that holds only text stays on one line with its end tag.
                const qsizetype lt = next('<', end);
                if (lt + 1 < n && v[lt + 1] == '/')
                    end = past(">", lt);
                else
                    ++depth;
            }
        }
        m_lines.push_back({i, end - i, at});
        i = end;
    }
    // The widest line is among the longest ones: those are measured.
    const auto length = [this](size_t line) { return m_lines[line].depth * 4 + m_lines[line].length; };
    std::vector<size_t> longest;  // the 16 longest in bytes, longest first
    for (size_t line = 0; line < m_lines.size(); ++line) {
        if (longest.size() == 16 && length(line) <= length(longest.back()))
            continue;
        if (longest.size() == 16)
            longest.pop_back();
        longest.insert(
            std::upper_bound(longest.begin(), longest.end(), line, [&](size_t a, size_t b) { return length(a) > length(b); }),
            line);
    }
    int width = 0;
    for (const size_t line : longest)
        width = std::max(width, metrics.horizontalAdvance(LineText(line)));
    m_lineSize = QSize(width + 2 * metrics.averageCharWidth(), metrics.lineSpacing() + 2);
    endResetModel();
}

QString TDeclarationLines::LineText(size_t line) const
{
    const TLine& l = m_lines[line];
    QString text(l.depth * 4, u' ');
    text += QString::fromUtf8(m_text.constData() + l.from, l.length);
    return text;
}

int TDeclarationLines::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant TDeclarationLines::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::SizeHintRole)
        return m_lineSize;
    return role == Qt::DisplayRole ? QVariant(LineText(static_cast<size_t>(index.row()))) : QVariant();
}

#include "SaleList.h"

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"
#include "workbook/TWorkbook.h"

#include <QDate>
#include <QLocale>
#include <QSqlQuery>

namespace {
enum { colNo = 1, colCode, colNumber, colMaker, colModel, colFrame, colAmount };

// A stored amount as the sheet shows it: a number in general format, a text as stored,
// trimmed; Null is empty.
QString CellText(const QVariant& v)
{
    if (v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return GeneralNumberText(v.toDouble());
    default:
        return TrimBlanks(v.toString());
    }
}

double AmountOf(const QVariant& v)
{
    if (v.isNull())
        return 0;
    if (v.typeId() != QMetaType::QString)
        return v.toDouble();
    bool ok = false;
    const double d = QLocale::c().toDouble(TrimBlanks(v.toString()), &ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(v.toString()));
    return d;
}
}  // namespace

QString SaleListFileName(const QString& corpName, const QString& month)
{
    return corpName + MonthTitle(month) + QStringLiteral("机动车销售统一发票清单.xlsx");
}

QString SaleListTemplate() { return AppPath + QStringLiteral("template/机动车销售统一发票清单.xlsx"); }

int FillSaleList(TWorkbook& book, const QString& month, bool borders)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    book.SetText(3, 1, QStringLiteral("企业名称：") + CorpInfo.corpName);
    book.SetText(3, 4, QStringLiteral("纳税人识别号：") + CorpInfo.corpTaxID);
    book.SetText(3, 6, QStringLiteral("所属期限：") + MonthTitle(month));

    QSqlQuery q =
        DataBase->Run(QStringLiteral("select fpdm,fphm,SCCJ,cpxh,cjhm,jwjehj from SaleDetail where (fpzt='0' or fpzt='2') and "
                                     "substr(kprq,1,7)=:month order by fpdm,fphm,kprq"),
                      {{QStringLiteral("month"), month}});
    int n = 0;
    double total = 0;
    while (FetchNext(q)) {
        ++n;
        const int row = 4 + n;
        book.SetText(row, colNo, QString::number(n));
        for (int field = 0; field < 6; ++field)
            book.SetText(row, colCode + field, CellText(q.value(field)));
        total += AmountOf(q.value(5));
    }
    if (n > 0) {
        book.SetText(n + 5, colNo, QStringLiteral("合计"));
        book.SetText(n + 5, colAmount, FormatAmount(total));
    } else {
        for (int i = 1; i <= 9; ++i) {
            book.SetText(4 + i, colNo, QString::number(i));
            for (int c = colCode; c <= colAmount; ++c)
                book.SetText(4 + i, c, QString(""));
        }
        book.SetText(14, colNo, QStringLiteral("合计"));
        book.SetText(14, colAmount, FormatAmount(0));
    }
    if (borders)
        book.SetBorders(4, colNo, n > 0 ? n + 5 : 15, colAmount);
    return n;
}

int MakeSaleList(const QString& folder, const QString& name, const QString& month, bool borders)
{
    const QString file = ReportPath(folder, name);
    TWorkbook book;
    book.Open(SaleListTemplate());
    const int n = FillSaleList(book, month, borders);
    book.SaveAs(file);
    return n;
}

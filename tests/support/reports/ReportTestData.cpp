#include "ReportTestData.h"

#include "ProgramFolder.h"
#include "core/Globals.h"
#include "core/TADODB.h"

#include <QSqlQuery>
#include <QSqlRecord>

QString SaleSql(const QString& kprq, const QString& code, const QString& number, const QString& state, const QString& amount,
                const QString& point, const QString& frame)
{
    return QStringLiteral(
               "insert into SaleDetail(kprq,fpdm,fphm,ghdw,cllx,cpxh,cd,cjhm,sl,dj,jwjehj,sccj,fpzt,kpdName) "
               "values('%1','%2','%3','某买方','轿车','某牌SV7180','广州',%4,'壹',%5,%5,'某汽车制造厂','%6','%7');")
        .arg(kprq, code, number, frame, amount, state, point);
}

QString ManySalesSql(const QString& month, int count)
{
    // Concatenated: the printf patterns would read as placeholders of QString::arg.
    return QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i < ") + QString::number(count) +
           QStringLiteral(
               ") insert into SaleDetail(kprq,fpdm,fphm,ghdw,cllx,cpxh,cd,cjhm,sl,dj,jwjehj,sccj,fpzt,kpdName) "
               "select '") +
           month +
           QStringLiteral(
               "-15 10:00:00','144001900111',printf('%08d',i),'某买方','轿车','某牌SV7180','广州',"
               "printf('LVIN%013d',i),'壹',100000+i,100000+i,'某汽车制造厂','0','一店' from n;");
}

QString ReportFolder(const TTestProgramFolder& folder) { return folder.File(QStringLiteral("报表/")); }

namespace {
QString Literal(const QVariant& v)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    if (v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Int)
        return QString::number(v.toDouble(), 'g', 17);
    return u'\'' + v.toString().replace(u'\'', QLatin1String("''")) + u'\'';
}

void Insert(const TTestProgramFolder& folder, const char* table, const QVariantList& values)
{
    QStringList literals;
    for (const QVariant& v : values)
        literals << Literal(v);
    folder.Sql(QStringLiteral("insert into %1 values(%2);").arg(QLatin1String(table), literals.join(u',')));
}
}  // namespace

void InsertInvoice(const TTestProgramFolder& folder, const QVariantList& values) { Insert(folder, "SaleDetail", values); }

void InsertRoll(const TTestProgramFolder& folder, const QString& point, const QString& received, const QString& first,
                const QString& current, int left)
{
    const QString last = QString::number(first.toInt() + 9).rightJustified(8, u'0');
    Insert(folder, "fpkcxx",
           {received, QStringLiteral("044001900111"), first, last, QStringLiteral("101"), current, QStringLiteral("李四"), 10,
            left, point});
}

QString StoredText(const QVariant& v)
{
    return v.isNull()                               ? QStringLiteral("∅")
           : v.metaType().id() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17)
                                                    : v.toString();
}

std::vector<QStringList> TableRows(const QString& table, const QString& where)
{
    QSqlQuery q = DataBase->Run(QStringLiteral("select * from ") + table + u' ' + where + QStringLiteral(" order by rowid"));
    std::vector<QStringList> rows;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << StoredText(q.value(i));
        rows.push_back(row);
    }
    return rows;
}

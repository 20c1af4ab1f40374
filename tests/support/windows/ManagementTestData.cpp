#include "ManagementTestData.h"

#include "core/Globals.h"
#include "core/TADODB.h"

#include <QBrush>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>

void ManagementTest::Start(const QString& rollFirst, const QString& rollLast)
{
    SeedIssuing(folder);
    folder.Sql(QStringLiteral("delete from fpkcxx;"));
    if (!rollFirst.isEmpty())
        AddRoll(folder, QString::fromLatin1(kCode), rollFirst, rollLast);
    OpenMain(folder);
}

void ManagementTest::AddSale(const QString& number, const QString& state, const QString& issued, const QString& point,
                             const QVariant& vin, const QString& buyer)
{
    DataBase->Query().finish();  // the shared query lets go of its result
    DataBase->Run(QStringLiteral("insert into SaleDetail(kprq,fpdm,fphm,ghdw,ghdwID,cllx,cpxh,cd,fdjhm,cjhm,sl,dj,jwje1,"
                                 "jwje2,jwje3,jwhjdx,jwjehj,saleName,saleMan,fpzt,kpdName) values(:kprq,:code,:no,:buyer,"
                                 "'440301','轿车','A型','广州','E'||:no,:vin,'壹',80000,0,0,0,'RMB捌万圆整',80000,"
                                 "'某汽车销售公司','李会计',:state,:point)"),
                  {{QStringLiteral("kprq"), issued},
                   {QStringLiteral("code"), QString::fromLatin1(kCode)},
                   {QStringLiteral("no"), number},
                   {QStringLiteral("buyer"), buyer},
                   {QStringLiteral("vin"), vin},
                   {QStringLiteral("state"), state},
                   {QStringLiteral("point"), point}});
}

QString ManagementTest::Snapshot()
{
    QString rows;
    for (const char* table : {"SaleDetail", "fpkcxx"}) {
        QSqlQuery q = DataBase->Run(QStringLiteral("select * from %1 order by rowid").arg(QLatin1String(table)));
        while (q.next())
            for (int i = 0; i < q.record().count(); ++i)
                rows += q.value(i).toString() + u'|';
        rows += u'\n';
    }
    return rows;
}

QString ManagementTest::Roll() { return DbValue(QStringLiteral("select dqhm||'/'||syfs from fpkcxx")).toString(); }

void ManagementTest::ClickRow(QTableView* grid, int row, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex index = grid->model()->index(row, 0);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, grid->visualRect(index).center());
}

QStringList ManagementTest::RowTexts(QTableView* grid, int row)
{
    QStringList texts;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        texts << grid->model()->index(row, c).data().toString();
    return texts;
}

QStringList ManagementTest::Column(QTableView* grid, int column)
{
    QStringList texts;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        texts << grid->model()->index(r, column).data().toString();
    return texts;
}

QString ManagementTest::RowColour(QTableView* grid, int row, int role)
{
    const QVariant v = grid->model()->index(row, 0).data(role);
    return v.isNull() ? QString() : v.value<QBrush>().color().name();
}

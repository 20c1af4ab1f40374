#include "ReportTestData.h"

#include "ProgramFolder.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "exchange/RecordsetXmlWriter.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <stdexcept>

QString SaleSql(const QString& kprq, const QString& code, const QString& number, const QString& state,
                const QString& amount, const QString& point, const QString& frame)
{
    return QStringLiteral("insert into SaleDetail(kprq,fpdm,fphm,ghdw,cllx,cpxh,cd,cjhm,sl,dj,jwjehj,sccj,fpzt,kpdName) "
                          "values('%1','%2','%3','某买方','轿车','某牌SV7180','广州',%4,'壹',%5,%5,'某汽车制造厂','%6','%7');")
        .arg(kprq, code, number, frame, amount, state, point);
}

QString ManySalesSql(const QString& month, int count)
{
    // Concatenated: the printf patterns would read as placeholders of QString::arg.
    return QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i < ") +
           QString::number(count) +
           QStringLiteral(") insert into SaleDetail(kprq,fpdm,fphm,ghdw,cllx,cpxh,cd,cjhm,sl,dj,jwjehj,sccj,fpzt,kpdName) "
                          "select '") +
           month +
           QStringLiteral("-15 10:00:00','144001900111',printf('%08d',i),'某买方','轿车','某牌SV7180','广州',"
                          "printf('LVIN%013d',i),'壹',100000+i,100000+i,'某汽车制造厂','0','一店' from n;");
}

QString ReportFolder(const TTestProgramFolder& folder) { return folder.File(QStringLiteral("报表/")); }

QString Fixture(const QString& name) { return QStringLiteral(TALLYRA_ADO_FIXTURES "/") + name; }

bool FixturesPresent() { return QFileInfo::exists(Fixture(QStringLiteral("empty.xml"))); }

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray RecordsetBytes(const TRecordset& rs)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteRecordsetXml(buffer, rs);
    return buffer.data();
}

QString PythonOn(const QByteArray& file, const QString& script)
{
    QTemporaryDir dir;
    WriteBytes(dir.filePath(QStringLiteral("file.xml")), file);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, dir.filePath(QStringLiteral("file.xml"))});
    if (!python.waitForFinished(20000) || python.exitCode() != 0)
        return QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

QVariantList InvoiceValues(const QString& point, const QString& issued, const QString& number, double total)
{
    const QVariant null;
    return {issued, QStringLiteral("044001900111"), number, QStringLiteral("某'\"&<>贸易公司"), QStringLiteral("000123"),
            QStringLiteral("轿车"), QStringLiteral("某牌SV7180"), QStringLiteral("广州\t黄埔\r\n东区"), QStringLiteral("WAB1"),
            null, QStringLiteral(""), null, QStringLiteral("LSVAB2B3000000001"), QStringLiteral("壹"), 0.1,
            QStringLiteral("HT01"), QStringLiteral("上牌"), null, QStringLiteral(""), -12445.0, 0.0, 0.0,
            QStringLiteral("RMB壹拾贰万伍仟圆伍角"), total, QStringLiteral("某汽车销售有限公司"), QStringLiteral("某市某路1号"),
            QStringLiteral("0571-8800000"), QStringLiteral("330100000000001"), QStringLiteral("某银行"),
            QStringLiteral("6222000000000001"), QStringLiteral("张三"), QStringLiteral("王出纳"), QStringLiteral("0"),
            QStringLiteral("0"), QStringLiteral(""), QStringLiteral(""), QStringLiteral("某汽车制造厂"), point};
}

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
    Insert(folder, "fpkcxx", {received, QStringLiteral("044001900111"), first, last, QStringLiteral("101"), current,
                              QStringLiteral("李四"), 10, left, point});
}

std::vector<QStringList> TableRows(const QString& table, const QString& where)
{
    QSqlQuery q = DataBase->Run(QStringLiteral("select * from ") + table + u' ' + where + QStringLiteral(" order by rowid"));
    std::vector<QStringList> rows;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i) {
            const QVariant v = q.value(i);
            row << (v.isNull() ? QStringLiteral("∅")
                    : v.metaType().id() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17)
                                                              : v.toString());
        }
        rows.push_back(row);
    }
    return rows;
}

#include "Common.h"

#include "Errors.h"
#include "Globals.h"
#include "PubFun.h"
#include "TADODB.h"
#include "TLog.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
// Of a query on its row or of a record read from one.
template <class TRow>
QString Text(const TRow& q, const char* field)
{
    const QVariant v = q.value(QString::fromLatin1(field));
    return v.isNull() ? QString() : v.toString();
}
}  // namespace

bool LoadBaseInfo(TADODB& database, TBaseInfo& record)
{
    database.Connect();
    try {
        const std::optional<QSqlRecord> row = database.FirstRow(QStringLiteral("select * from baseinfo order by id"));
        if (!row)
            return false;
        const QSqlRecord& q = *row;
        record.corpName = Text(q, "corpName");
        record.corpAdd = Text(q, "corpAdd");
        record.corpTel = Text(q, "corpTel");
        record.corpTaxID = Text(q, "corpTaxID");
        record.corpBank = Text(q, "corpBank");
        record.corpAcount = Text(q, "corpAcount");
        record.ManageTaxID = Text(q, "ManageTaxID");
        record.OperMan = Text(q, "OperMan");
        record.kpdName = Text(q, "kpdName");
        record.flag = Text(q, "flag");
        return true;
    } catch (const ETallyraError&) {
        return false;
    }
}

void LoadCarTypes(TADODB& database, QStringList& list)
{
    list.clear();
    QSqlQuery q = database.Run(QStringLiteral("select * from CLLX  order by CJID"));
    while (q.next())
        list.append(Text(q, "cllx"));
    if (q.lastError().isValid())
        throw EDatabaseError(q.lastError().text());
}

void LoadModels(TADODB& database, TModelList& list)
{
    list.clear();
    QSqlQuery q = database.Run(QStringLiteral("select * from SCCJ  order by id"));
    while (q.next()) {
        TCPXH m;
        m.id = q.value(QStringLiteral("id")).toInt();
        m.cpxh = Text(q, "cpxh");
        m.sccj = Text(q, "sccj");
        m.cd = Text(q, "cd");
        list.append(m);
    }
    if (q.lastError().isValid())
        throw EDatabaseError(q.lastError().text());
}

bool LoadPassword(QString& password)
{
    try {
        if (!DataBase)
            throw EDatabaseError(QStringLiteral("no database"));
        QSqlQuery q = DataBase->Run(QStringLiteral("select passwd from passwd"));
        // A table without a row would lock the clerk out for good: fall back to the initial one.
        if (!q.next())
            throw EDatabaseError(QStringLiteral("no password row"));
        password = Text(q, "passwd");
        return true;
    } catch (const ETallyraError&) {
        password = kInitialPassword;
        return false;
    }
}

bool SavePassword(const QString& newPassword)
{
    try {
        if (!DataBase)
            return false;
        const int n = DataBase->Scalar(QStringLiteral("select count(*) from passwd")).toInt();
        const TParams p{{QStringLiteral("p"), newPassword}};
        if (n != 0)
            DataBase->Run(QStringLiteral("update passwd set passwd=:p"), p);
        else
            DataBase->Run(QStringLiteral("insert into passwd(passwd) values(:p)"), p);
        return true;
    } catch (const ETallyraError&) {
        return false;
    }
}

namespace {
bool FirstRoll(TADODB& db, const QString& state, TCurFPInfo& record)
{
    const std::optional<QSqlRecord> row = db.FirstRow(
        QStringLiteral("select fpdm,fphmq,fphmz,dqhm from fpkcxx where syfs >0 and kczt = :kczt and kpdName=:p "
                       "order by lyrq,fpdm,fphmq"),
        {{QStringLiteral("kczt"), state}, {QStringLiteral("p"), CorpInfo.kpdName}});
    if (!row)
        return false;
    for (int i = 0; i < 4; ++i)
        if (row->value(i).isNull())
            throw EDatabaseError(QStringLiteral("a roll without code or numbers"));
    record.fpdm = row->value(0).toString();
    record.fphmq = row->value(1).toString();
    record.fphmz = row->value(2).toString();
    record.dqhm = row->value(3).toString();
    return true;
}
}  // namespace

bool GetCurInvoice(TCurFPInfo& record, QString* failure)
{
    if (!DataBase)
        return false;
    TADODB& db = *DataBase;
    try {
        if (!db.Connected())
            return false;
        if (!FirstRoll(db, RollState::InUse, record)) {
            if (!FirstRoll(db, RollState::Received, record))
                return false;
            db.Run(QStringLiteral("update fpkcxx set kczt=:kczt where fpdm=:fpdm and fphmq=:q and fphmz=:z"),
                   {{QStringLiteral("kczt"), RollState::InUse},
                    {QStringLiteral("fpdm"), record.fpdm},
                    {QStringLiteral("q"), record.fphmq},
                    {QStringLiteral("z"), record.fphmz}});
        }
        const std::optional<QSqlRecord> sum = db.FirstRow(
            QStringLiteral("select sum(syfs) as syfs from fpkcxx where syfs >0  and kpdName=:p"),
            {{QStringLiteral("p"), CorpInfo.kpdName}});
        if (sum && !sum->value(0).isNull())
            record.syfs = sum->value(0).toInt();
        return true;
    } catch (const ETallyraError& e) {
        if (failure)
            *failure = e.Text();
        return false;
    }
}

QString CurInvoiceErrorText(const QString& failure)
{
    QString text = QStringLiteral("取当前发票号码错误,请检查是否有可用的发票!");
    if (failure.isEmpty() || !DataBase)
        return text;
    const bool readOnly = DataBase->ReadOnly();
    try {
        if (SysLog)
            SysLog->WriteLog(QStringLiteral("取当前发票号码错误：") + failure);
    } catch (const ETallyraError&) {
        // the box still tells the clerk
    }
    if (readOnly)
        text += QStringLiteral("\n数据库文件只读：") + QDir::toNativeSeparators(DataBase->DatabaseFile());
    return text;
}

int AdvanceInvoiceNo(const QString& number, const QString& code)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("no database"));
    const QString next = IncInvoiceNo(number, 1);
    TCurFPInfo current;
    GetCurInvoice(current);
    // The cap compares as numbers against the roll that holds the number: "100000000" must
    // not pass a roll that ends at 99999999.
    QSqlQuery q = DataBase->Run(
        QStringLiteral(
            "update  fpkcxx set dqhm=case when length(:next) > length(fphmz) or "
            "(length(:next) = length(fphmz) and :next > fphmz) then fphmz else :next end,"
            "syfs=syfs-1 where kpdName = :p and syfs <> 0 and lyfs>=syfs and fphmq<=:n and "
            "fphmz>=:n and fpdm =:code"),
        {{QStringLiteral("next"), next},
         {QStringLiteral("p"), CorpInfo.kpdName},
         {QStringLiteral("n"), number},
         {QStringLiteral("code"), code}});
    return q.numRowsAffected();
}

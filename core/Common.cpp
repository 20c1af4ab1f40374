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
// The statements that find and open the current roll, prepared once: a run of numbers takes
// them for every number. Each reads only the point's rolls with copies left.
struct TRollQueries {
    QSqlQuery first;
    QSqlQuery open;
    explicit TRollQueries(TADODB& db) : first(db.Connection()), open(db.Connection())
    {
        first.setForwardOnly(true);
        if (!first.prepare(QStringLiteral("select fpdm,fphmq,fphmz,dqhm from fpkcxx where syfs >0 and kczt = :kczt and "
                                          "kpdName=:p order by lyrq,fpdm,fphmq")))
            throw EDatabaseError(first.lastError().text());
        if (!open.prepare(QStringLiteral("update fpkcxx set kczt=:kczt where fpdm=:fpdm and fphmq=:q and fphmz=:z")))
            throw EDatabaseError(open.lastError().text());
    }
};

bool FirstRoll(QSqlQuery& q, const QString& state, TCurFPInfo& record)
{
    q.bindValue(QStringLiteral(":kczt"), state);
    q.bindValue(QStringLiteral(":p"), CorpInfo.kpdName);
    if (!q.exec())
        throw EDatabaseError(q.lastError().text());
    const bool found = FetchNext(q);
    const bool complete = found && !q.value(0).isNull() && !q.value(1).isNull() && !q.value(2).isNull() && !q.value(3).isNull();
    if (complete) {
        record.fpdm = q.value(0).toString();
        record.fphmq = q.value(1).toString();
        record.fphmz = q.value(2).toString();
        record.dqhm = q.value(3).toString();
    }
    q.finish();
    if (found && !complete)
        throw EDatabaseError(QStringLiteral("a roll without code or numbers"));
    return found;
}

// The oldest opened roll of this point with copies left, else the oldest received one, which
// is opened. False when the point has none.
bool CurrentRoll(TRollQueries& queries, TCurFPInfo& record)
{
    if (FirstRoll(queries.first, RollState::InUse, record))
        return true;
    if (!FirstRoll(queries.first, RollState::Received, record))
        return false;
    QSqlQuery& q = queries.open;
    q.bindValue(QStringLiteral(":kczt"), RollState::InUse);
    q.bindValue(QStringLiteral(":fpdm"), record.fpdm);
    q.bindValue(QStringLiteral(":q"), record.fphmq);
    q.bindValue(QStringLiteral(":z"), record.fphmz);
    if (!q.exec())
        throw EDatabaseError(q.lastError().text());
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
        TRollQueries queries(db);
        if (!CurrentRoll(queries, record))
            return false;
        const std::optional<QSqlRecord> sum =
            db.FirstRow(QStringLiteral("select sum(syfs) as syfs from fpkcxx where syfs >0  and kpdName=:p"),
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
    WriteLogLine(QStringLiteral("取当前发票号码错误：") + failure);
    if (readOnly)
        text += QStringLiteral("\n数据库文件只读：") + QDir::toNativeSeparators(DataBase->DatabaseFile());
    return text;
}

struct TInvoiceAdvance::TData {
    TRollQueries rolls;
    QSqlQuery update;
    explicit TData(TADODB& db) : rolls(db), update(db.Connection()) {}
};

TInvoiceAdvance::TInvoiceAdvance()
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("no database"));
    d = std::make_unique<TData>(*DataBase);
    // The cap compares as numbers against the roll that holds the number: "100000000" must
    // not pass a roll that ends at 99999999.
    if (!d->update.prepare(QStringLiteral("update  fpkcxx set dqhm=case when length(:next) > length(fphmz) or "
                                          "(length(:next) = length(fphmz) and :next > fphmz) then fphmz else :next end,"
                                          "syfs=syfs-1 where kpdName = :p and syfs <> 0 and lyfs>=syfs and fphmq<=:n and "
                                          "fphmz>=:n and fpdm =:code")))
        throw EDatabaseError(d->update.lastError().text());
}

TInvoiceAdvance::~TInvoiceAdvance() = default;

int TInvoiceAdvance::Advance(const QString& number, const QString& code)
{
    const QString next = IncInvoiceNo(number, 1);
    // Opens the next roll when no opened one has copies left; failing, it changes nothing here.
    try {
        TCurFPInfo current;
        CurrentRoll(d->rolls, current);
    } catch (const ETallyraError&) {
    }
    QSqlQuery& q = d->update;
    q.bindValue(QStringLiteral(":next"), next);
    q.bindValue(QStringLiteral(":p"), CorpInfo.kpdName);
    q.bindValue(QStringLiteral(":n"), number);
    q.bindValue(QStringLiteral(":code"), code);
    if (!q.exec())
        throw EDatabaseError(q.lastError().text());
    return q.numRowsAffected();
}

int AdvanceInvoiceNo(const QString& number, const QString& code) { return TInvoiceAdvance().Advance(number, code); }

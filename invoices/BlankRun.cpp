#include "BlankRun.h"

#include "TframeInput.h"
#include "core/Clock.h"
#include "core/Common.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TADODB.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
void StoreNumbers(const QString& code, const QString& first, int count, const QString& state)
{
    QSqlQuery insert(DataBase->Connection());
    if (!insert.prepare(QStringLiteral(
            "insert into SaleDetail(kprq,fpdm,fphm,fpzt,saleName,saleAdd,saleTel,saleTaxID,saleBank,saleAcount,saleMan,"
            "kpdName)\nValues(:kprq,:fpdm,:fphm,:fpzt,:saleName,:saleAdd,:saleTel,:saleTaxID,:saleBank,:saleAcount,"
            ":saleMan,:kpdName)")))
        throw EDatabaseError(insert.lastError().text());
    TInvoiceAdvance advance;  // its statements prepared once for the whole run
    TIssuedCounter issued;
    for (int k = 0; k < count; ++k) {
        const QString no = IncInvoiceNo(first, k);
        if (issued.Count(code, no) != 0)
            throw EDatabaseError(QStringLiteral("发票代码") + code + QStringLiteral("发票号码") + no +
                                 QStringLiteral("已经存在！"));
        insert.bindValue(QStringLiteral(":kprq"), DateTimeText(Now()));
        insert.bindValue(QStringLiteral(":fpdm"), TextParam(code));
        insert.bindValue(QStringLiteral(":fphm"), no);
        insert.bindValue(QStringLiteral(":fpzt"), TextParam(state));
        insert.bindValue(QStringLiteral(":saleName"), TextParam(CorpInfo.corpName));
        insert.bindValue(QStringLiteral(":saleAdd"), TextParam(CorpInfo.corpAdd));
        insert.bindValue(QStringLiteral(":saleTel"), TextParam(CorpInfo.corpTel));
        insert.bindValue(QStringLiteral(":saleTaxID"), TextParam(CorpInfo.corpTaxID));
        insert.bindValue(QStringLiteral(":saleBank"), TextParam(CorpInfo.corpBank));
        insert.bindValue(QStringLiteral(":saleAcount"), TextParam(CorpInfo.corpAcount));
        insert.bindValue(QStringLiteral(":saleMan"), TextParam(CorpInfo.OperMan));
        insert.bindValue(QStringLiteral(":kpdName"), TextParam(CorpInfo.kpdName));
        if (!insert.exec())
            throw EDatabaseError(insert.lastError().text());
        if (insert.numRowsAffected() != 1)
            throw EDatabaseError(QStringLiteral("插入发票号码") + no + QStringLiteral("失败！"));
        // Stock and paper must agree: each number takes exactly one copy off one roll.
        if (advance.Advance(no, code) != 1)
            throw EDatabaseError(QStringLiteral("发票号码") + no + QStringLiteral("不在本开票点的发票卷中！"));
    }
}
}  // namespace

void StoreBlankRun(const QString& code, const QString& first, int count, const QString& state)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    // One transaction for the whole run: a run stored in part would leave the window's start
    // number behind the roll, and a second try would store those numbers twice.
    DataBase->RunInTransaction([&] { StoreNumbers(code, first, count, state); });
}

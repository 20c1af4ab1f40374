#pragma once
#include <QString>

// A company record of an invoicing point with the given head-point flag.
inline QString CompanySql(const QString& flag, const QString& point = QStringLiteral("一店"),
                          const QString& name = QStringLiteral("某汽车销售有限公司"))
{
    return QStringLiteral(
               "insert into baseinfo(corpName,corpAdd,CorpTel,corpTaxID,corpBank,corpAcount,ManageTaxID,"
               "OperMan,kpdName,flag) values('%3','某市某路1号','0571-8800000',"
               "'330100000000001','某银行某支行','6222000000000001','13301000000','张三','%2','%1');")
        .arg(flag, point, name);
}

// One received roll of ten blank invoices of the point "一店".
inline QString RollSql()
{
    return QStringLiteral(
        "insert into fpkcxx(lyrq,fpdm,fphmq,fphmz,kczt,dqhm,lyr,lyfs,syfs,kpdName) values("
        "'2026-03-01 09:00:00','133001620011','00000001','00000010','000','00000001','张三',10,10,'一店');");
}

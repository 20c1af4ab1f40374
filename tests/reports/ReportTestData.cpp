#include "ReportTestData.h"

#include "ProgramFolder.h"

QString HeadCompanySql()
{
    return QStringLiteral("insert into baseinfo(corpName,corpAdd,CorpTel,corpTaxID,corpBank,corpAcount,ManageTaxID,"
                          "OperMan,kpdName,flag) values('甲汽车销售有限公司','某市某路1号','0571-8800000',"
                          "'330100000000001','某银行某支行','6222000000000001','13301000000','张三','一店','是');");
}

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

QString TemplateFile(const TTestProgramFolder& folder)
{
    return folder.File(QStringLiteral("template/机动车销售统一发票清单.xlsx"));
}

QString ReportFolder(const TTestProgramFolder& folder) { return folder.File(QStringLiteral("报表/")); }

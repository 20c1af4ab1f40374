#include "IssuingTestData.h"

#include "PdfWords.h"
#include "ProgramFolder.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TframeInput.h"
#include "printing/PrintDevice.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <gtest/gtest.h>

void SeedIssuing(const TTestProgramFolder& folder, const QString& point)
{
    QString p = point;
    p.replace(u'\'', QStringLiteral("''"));
    folder.Sql(QStringLiteral("insert into baseinfo(corpName,corpAdd,CorpTel,corpTaxID,corpBank,corpAcount,ManageTaxID,OperMan,"
                              "kpdName,flag) values('某汽车销售公司','广州市天河路1号','020-12345678','440100000000001',"
                              "'工商银行天河支行','6222000011112222','44010000','李会计','%1','是');"
                              "insert into CLLX(cllx) values('轿车'),('客车');"
                              "insert into SCCJ(cpxh,sccj,cd) values('A型','甲厂','广州'),('B型','乙厂','上海');")
                   .arg(p));
    AddRoll(folder, QString::fromLatin1(kCode), QStringLiteral("00001001"), QStringLiteral("00001050"),
            QStringLiteral("2026-03-01"), point);
}

void AddRoll(const TTestProgramFolder& folder, const QString& code, const QString& first, const QString& last, const QString& day,
             const QString& point)
{
    QString p = point;
    p.replace(u'\'', QStringLiteral("''"));
    const int count = last.toInt() - first.toInt() + 1;
    folder.Sql(QStringLiteral("insert into fpkcxx values('%1 13:28:19','%2','%3','%4','000','%3','张三',%5,%5,'%6');")
                   .arg(day, code, first, last)
                   .arg(count)
                   .arg(p));
}

void UseDefaultTemplate(const TTestProgramFolder& folder)
{
    QFile source(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << "resources/PrintTemplate.xml";
    folder.WriteFile(QStringLiteral("PrintTemplate.xml"), source.readAll());
}

void PrintInto(const QString& file) { qputenv(kPrintPdfVariable, file.toUtf8()); }

QStringList PdfWords(const QString& file)
{
    QStringList words;
    for (const TPdfPage& page : ReadPdfWords(file))
        for (const TPdfWord& word : page.words)
            words << word.text;
    return words;
}

int PdfPages(const QString& file)
{
    const std::vector<TPdfPage> pages = ReadPdfWords(file);
    return pages.empty() ? -1 : static_cast<int>(pages.size());
}

void FillValidInvoice(TframeInput& f, int car)
{
    f.edtGHDW->setText(QStringLiteral("广州某某贸易有限公司"));
    f.edtGHDWID->setText(QStringLiteral("44010119900101123X"));
    f.cmbCLLX->setCurrentIndex(0);
    f.cmbCPXH->setCurrentIndex(0);
    f.cmbCPXHChange();
    f.edtHGZHM->setText(QStringLiteral("WAB%1").arg(car, 6, 10, QChar(u'0')));
    f.edtFDJH->setEditText(QStringLiteral("ENG%1").arg(car, 5, 10, QChar(u'0')));
    f.edtCJHM->setText(QStringLiteral("LSVAB2B3%1").arg(car, 9, 10, QChar(u'0')));
    f.edtDJ->setText(QStringLiteral("123456.00"));
    f.edtHTDH->setText(QStringLiteral("HT-2026-001"));
    f.edtSKR->setText(QStringLiteral("王出纳"));
}

#include "IssuingTestData.h"

#include "ProgramFolder.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TframeInput.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

void SeedIssuing(const TTestProgramFolder& folder, const QString& point)
{
    QString p = point;
    p.replace(u'\'', QStringLiteral("''"));
    folder.Sql(QStringLiteral(
                   "insert into baseinfo(corpName,corpAdd,CorpTel,corpTaxID,corpBank,corpAcount,ManageTaxID,OperMan,"
                   "kpdName,flag) values('某汽车销售公司','广州市天河路1号','020-12345678','440100000000001',"
                   "'工商银行天河支行','6222000011112222','44010000','李会计','%1','是');"
                   "insert into CLLX(cllx) values('轿车'),('客车');"
                   "insert into SCCJ(cpxh,sccj,cd) values('A型','甲厂','广州'),('B型','乙厂','上海');")
                   .arg(p));
    AddRoll(folder, QString::fromLatin1(kCode), QStringLiteral("00001001"), QStringLiteral("00001050"),
            QStringLiteral("2026-03-01"), point);
}

void AddRoll(const TTestProgramFolder& folder, const QString& code, const QString& first, const QString& last,
             const QString& day, const QString& point)
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

void PrintInto(const QString& file) { qputenv("TALLYRA_PRINT_PDF", file.toUtf8()); }

namespace {
QString PdfBbox(const QString& file)
{
    if (!QFileInfo::exists(file))
        return {};
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}
}  // namespace

QStringList PdfWords(const QString& file)
{
    static const QRegularExpression word(QStringLiteral("<word [^>]*>([^<]*)</word>"));
    QStringList words;
    const QString xml = PdfBbox(file);
    for (auto it = word.globalMatch(xml); it.hasNext();) {
        QString w = it.next().captured(1);
        w.replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
            .replace(QStringLiteral("&#39;"), QStringLiteral("'"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        words << w;
    }
    return words;
}

int PdfPages(const QString& file)
{
    const QString xml = PdfBbox(file);
    return xml.isEmpty() ? -1 : static_cast<int>(xml.count(QStringLiteral("<page ")));
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

void DbExec(const QString& sql)
{
    DataBase->Query().finish();
    DataBase->Run(sql);
}

QVariant DbValue(const QString& sql) { return DataBase->Scalar(sql); }

int DbCount(const QString& sql) { return DbValue(sql).toInt(); }

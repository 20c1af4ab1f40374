// A clerk's first day on a fresh program folder, through the windows alone: the company, a car
// type and model, a roll of blank invoices, one invoice, and the negative invoice reversing it.
#include "QtPrinters.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "ShellTestSupport.h"
#include "Typing.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TfrmCHInv.h"
#include "invoices/TfrmLYFP.h"
#include "invoices/TfrmMKNormalInv.h"
#include "invoices/TframeInput.h"
#include "printing/PrintInvoice.h"
#include "widgets/DataGrid.h"
#include "shell/TfrmBaseInfo.h"
#include "shell/TfrmCJCL.h"
#include "shell/TfrmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {
QStringList PdfText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

void Type(QWidget* field, const QString& text)
{
    field->setFocus();
    TypeText(field, text);
}

template <class T>
T* Only(TfrmMain& main)
{
    FreeClosedWindows();
    const QList<QWidget*> open = main.OpenChildren();
    return open.size() == 1 ? qobject_cast<T*>(open.first()) : nullptr;
}

QString Value(const QString& sql) { return DataBase->Scalar(sql).toString(); }
}  // namespace

TEST(ClerkWalk, FromAFreshFolderToAnInvoiceAndItsReversal)
{
    InstallFontSubstitutions();
    InstallPrintTemplateStore();
    TTestProgramFolder folder;
    QFile::copy(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml"), folder.File(QStringLiteral("PrintTemplate.xml")));
    TScriptedDialogs dialogs;
    TTestContext context(folder);
    ASSERT_FALSE(QFile::exists(folder.File(QStringLiteral("PrintTemplate.xml"))));  // imported at start-up
    auto main = std::make_unique<TfrmMain>();
    ASSERT_TRUE(ShowActive(main.get()));

    // The company, as a branch invoicing point.
    main->infoAct->trigger();
    auto* info = Only<TfrmBaseInfo>(*main);
    ASSERT_NE(info, nullptr);
    const QList<QLineEdit*> edits{info->edtName,   info->edtAdd,   info->edtTel,         info->edtTaxID, info->edtBank,
                                  info->edtAcount, info->edtMKMan, info->edtManageTaxID, info->edtKPD};
    const QStringList values{
        "某汽车销售有限公司", "某市某路1号", "0571-8800000", "330100000000001", "某银行某支行", "6222000000000001", "张三",
        "13301000000",        "一店"};
    for (int i = 0; i < edits.size(); ++i)
        Type(edits[i], values[i]);
    info->cmbFlag->setCurrentIndex(info->cmbFlag->findText(QStringLiteral("否")));
    info->btnSave->click();
    info->btnClose->click();
    EXPECT_TRUE(main->KJZCFP->isVisible());

    // A car type and a model.
    main->SCCJAct->trigger();
    auto* makers = Only<TfrmCJCL>(*main);
    ASSERT_NE(makers, nullptr);
    makers->PageControl1->setCurrentIndex(0);
    makers->BitBtn13->click();
    makers->adotbSCCJ->SetFieldValue(QStringLiteral("cpxh"), QStringLiteral("某牌SV7180"));
    makers->adotbSCCJ->SetFieldValue(QStringLiteral("sccj"), QStringLiteral("某汽车制造厂"));
    makers->adotbSCCJ->SetFieldValue(QStringLiteral("cd"), QStringLiteral("广州"));
    makers->BitBtn16->click();
    makers->PageControl1->setCurrentIndex(1);
    makers->BitBtn13->click();
    makers->adotbCLLX->SetFieldValue(QStringLiteral("cllx"), QStringLiteral("轿车"));
    makers->BitBtn16->click();
    makers->BitBtn1->click();
    EXPECT_EQ(CarTypeList, QStringList{"轿车"});
    ASSERT_EQ(ModelList.size(), 1);
    EXPECT_TRUE(ConnectionIdle(folder)) << "after the makers and types";

    // Issuing without stock leads to the receipt, where one roll of ten is booked.
    main->KJZCFP->trigger();
    auto* receipt = Only<TfrmLYFP>(*main);
    ASSERT_NE(receipt, nullptr);
    Type(receipt->edtFPDM, QStringLiteral("133001620011"));
    Type(receipt->edtFPHMQ, QStringLiteral("00000001"));
    Type(receipt->edtFPHMZ, QStringLiteral("00000010"));
    Type(receipt->edtLYR, QStringLiteral("张三"));
    receipt->btnAdd->click();
    dialogs.Answer(mbYes);
    receipt->btnSave->click();
    receipt->btnClose->click();
    EXPECT_EQ(Value(QStringLiteral("select syfs from fpkcxx")), QStringLiteral("10"));

    // One invoice, printed.
    const QString firstPdf = folder.File(QStringLiteral("invoice.pdf"));
    qputenv("TALLYRA_PRINT_PDF", firstPdf.toUtf8());
    main->KJZCFP->trigger();
    auto* single = Only<TfrmMKNormalInv>(*main);
    ASSERT_NE(single, nullptr);
    TframeInput& f = *single->frameInput1;
    EXPECT_EQ(f.stFPHM->text(), QStringLiteral("00000001"));
    Type(f.edtGHDW, QStringLiteral("广州某某贸易有限公司"));
    Type(f.edtGHDWID, QStringLiteral("44010119900101123X"));
    Type(f.edtHGZHM, QStringLiteral("WAB1"));
    Type(f.edtFDJH, QStringLiteral("ENG1"));
    Type(f.edtCJHM, QStringLiteral("lsvab2b3000000001"));
    Type(f.edtDJ, QStringLiteral("12345"));
    Type(f.edtJWFY1, QStringLiteral("上牌"));
    Type(f.edtJWJE1, QStringLiteral("100"));
    Type(f.edtSKR, QStringLiteral("王出纳"));
    dialogs.AnswerInput(QStringLiteral("00000001"));
    dialogs.Answer(mbOK);
    dialogs.Answer(mbNo);
    single->btnPrt->click();
    FreeClosedWindows();
    EXPECT_TRUE(main->MDIClient->subWindowList().isEmpty()) << "the window took its frame along";
    EXPECT_EQ(Value(QStringLiteral("select fphm||'|'||fpzt||'|'||jwjehj||'|'||cjhm from SaleDetail")),
              QStringLiteral("00000001|0|12445.0|LSVAB2B3000000001"));
    EXPECT_EQ(Value(QStringLiteral("select dqhm||'|'||syfs from fpkcxx")), QStringLiteral("00000002|9"));
    EXPECT_TRUE(PdfText(firstPdf).contains(QStringLiteral("广州某某贸易有限公司")));

    // Its reversal, on the next blank number.
    const QString secondPdf = folder.File(QStringLiteral("negative.pdf"));
    qputenv("TALLYRA_PRINT_PDF", secondPdf.toUtf8());
    main->FSFPKJ->trigger();
    auto* negative = Only<TfrmCHInv>(*main);
    ASSERT_NE(negative, nullptr);
    Type(negative->edtInput, QStringLiteral("00000001"));
    negative->btnQry->click();
    EXPECT_EQ(negative->frameInput1->stJFJE->text().trimmed(), QStringLiteral("-12445.00"));
    dialogs.AnswerInput(QStringLiteral("00000002"));
    dialogs.Answer(mbOK);
    dialogs.Answer(mbNo);
    negative->btnPrt->click();
    FreeClosedWindows();
    EXPECT_TRUE(main->MDIClient->subWindowList().isEmpty());
    qunsetenv("TALLYRA_PRINT_PDF");
    EXPECT_TRUE(ConnectionIdle(folder)) << "after the reversal";

    QSqlQuery q = DataBase->Run(QStringLiteral("select fphm,fpzt,jwjehj,ysfphm,ysfpdm,jwhjdx from SaleDetail where fpzt='2'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("00000002"));
    EXPECT_EQ(q.value(2).toDouble(), -12445.0);
    EXPECT_EQ(q.value(3).toString(), QStringLiteral("00000001"));
    EXPECT_EQ(q.value(4).toString(), QStringLiteral("133001620011"));
    EXPECT_EQ(q.value(5).toString(), QStringLiteral("RMB(负数)壹万贰仟肆佰肆拾伍圆整"));
    EXPECT_EQ(Value(QStringLiteral("select dqhm||'|'||syfs from fpkcxx")), QStringLiteral("00000003|8"));
    EXPECT_TRUE(PdfText(secondPdf).contains(QStringLiteral("-12445.00")));

    const QStringList log = LogLines(folder.Path());
    auto at = [&log](const char* start) {
        for (int i = 0; i < log.size(); ++i)
            if (log[i].startsWith(QString::fromUtf8(start)))
                return i;
        return -1;
    };
    EXPECT_GE(at("打开企业基本信息"), 0);
    EXPECT_LT(at("打开企业基本信息"), at("打开生产厂家维护"));
    EXPECT_LT(at("打开生产厂家维护"), at("打开发票入库管理"));
    EXPECT_LT(at("打开发票入库管理"), at("打开单车销售发票开具"));
    EXPECT_LT(at("打开单车销售发票开具"), at("打开负数销售发票开具"));
    EXPECT_LT(at("打开负数销售发票开具"), at("开负数票:"));
    // Each window closed once, with one closing line.
    for (const char* line : {"关闭企业基本信息", "关闭生产厂家维护", "关闭领用发票", "关闭正常销售发票开具", "关闭负数发票开具"})
        EXPECT_EQ(log.count(QString::fromUtf8(line)), 1) << line;
    EXPECT_EQ(dialogs.Unanswered(), 0) << dialogs.Texts().join(u'|').toStdString();
    main.reset();
}

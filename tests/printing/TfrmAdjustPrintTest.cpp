// The print fine-tuning window, driven through its controls.
#include "PdfPrint.h"
#include "PdfWords.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "Typing.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "printing/PrintDevice.h"
#include "printing/TPrintTemplate.h"
#include "printing/TfrmAdjustPrint.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
// A program folder whose first start imported the default template (241 x 178 mm).
class AdjustPrint : public ::testing::Test {
protected:
    AdjustPrint()
    {
        QFile::copy(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml"), folder.File(QStringLiteral("PrintTemplate.xml")));
        context = std::make_unique<TTestContext>(folder);
        window = new TfrmAdjustPrint;
        window->show();
        QApplication::setActiveWindow(window);
    }
    void TearDown() override { EXPECT_TRUE(ConnectionIdle(folder)) << "at the end of the test"; }
    ~AdjustPrint() override
    {
        delete window.data();
        context.reset();
    }
    // Lets a closed window free itself.
    void Click(QPushButton* button)
    {
        button->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void Type(const QString& x, const QString& y)
    {
        window->edtOffX->setText(x);
        window->edtOffY->setText(y);
    }
    QString Ini(const char* key) const
    {
        return ReadIniString(QStringLiteral("Print"), QLatin1String(key), QStringLiteral("(none)"));
    }

    TTestProgramFolder folder;
    std::unique_ptr<TTestContext> context;
    TScriptedDialogs dialogs;
    QPointer<TfrmAdjustPrint> window;
};
}  // namespace

TEST_F(AdjustPrint, ShowsTheOffsetsInUseAndFiltersTyping)
{
    ASSERT_EQ(PrintTpl->PageWidth, 241);
    delete window.data();
    PrtOffX = -3;
    PrtOffY = 12;
    window = new TfrmAdjustPrint;
    window->show();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("打印调试"));
    EXPECT_EQ(window->size(), QSize(370, 240));
    EXPECT_EQ(window->edtOffX->text(), QStringLiteral("-3"));
    EXPECT_EQ(window->edtOffY->text(), QStringLiteral("12"));
    EXPECT_TRUE(window->Memo1->isReadOnly());
    EXPECT_EQ(window->Memo1->toPlainText().split(u'\n').size(), 4);
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("edtOffY")), window->edtOffY);

    window->edtOffX->clear();
    TypeText(window->edtOffX, QStringLiteral("1a.5.中-9,"));
    EXPECT_EQ(window->edtOffX->text(), QStringLiteral("1.5-9")) << "one decimal point, digits and '-' only";
}

TEST_F(AdjustPrint, RefusesOffsetsInTheirOrderAndEmptiesTheField)
{
    struct TCase {
        const char* x;
        const char* y;
        const char* message;
        int field;
    };
    const TCase cases[] = {
        {"1.5", "0", "横向偏移只能是数值！", 0},
        {"", "0", "横向偏移只能是数值！", 0},
        {" 12", "0", "横向偏移只能是数值！", 0},
        {"+5", "0", "横向偏移只能是数值！", 0},
        {"99999999999", "0", "横向偏移只能是数值！", 0},
        {"-242", "abc", "纵向偏移只能是数值！", 1},
        {"0", "--1", "纵向偏移只能是数值！", 1},
        {"-242", "0", "横向偏移绝对值不能大于纸张宽度！", 0},
        {"-2147483648", "0", "横向偏移绝对值不能大于纸张宽度！", 0},
        {"241", "179", "纵向偏移绝对值不能大于纸张高度！", 1},
        {"0", "-2147483648", "纵向偏移绝对值不能大于纸张高度！", 1},
    };
    for (const TCase& c : cases) {
        dialogs.Clear();
        Type(QString::fromUtf8(c.x), QString::fromUtf8(c.y));
        Click(window->btnOK);
        ASSERT_EQ(dialogs.Shown().size(), 1u) << c.x << "," << c.y;
        EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Warning);
        EXPECT_EQ(dialogs.Shown()[0].text, QString::fromUtf8(c.message)) << c.x << "," << c.y;
        QLineEdit* bad = c.field == 0 ? window->edtOffX : window->edtOffY;
        QLineEdit* good = c.field == 0 ? window->edtOffY : window->edtOffX;
        EXPECT_TRUE(bad->text().isEmpty()) << c.x << "," << c.y;
        EXPECT_EQ(good->text(), QString::fromUtf8(c.field == 0 ? c.y : c.x));
        EXPECT_TRUE(bad->hasFocus()) << c.x << "," << c.y;
    }
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("Corvane.ini"))));
    EXPECT_EQ(PrtOffX, 0);
    // The bounds themselves pass.
    dialogs.Clear();
    Type(QStringLiteral("-241"), QStringLiteral("178"));
    Click(window->btnOK);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("保存设置成功！")});
    EXPECT_EQ(PrtOffX, -241);
    EXPECT_EQ(PrtOffY, 178);
}

TEST_F(AdjustPrint, SavesTheOffsetsForThisAndTheNextStart)
{
    // The rest of the settings file comes through the save byte for byte.
    const QByteArray kept = "; upgrade page of the head office\r\n[download]\r\nurl=http://host/up?a=1,2;x\r\n";
    folder.WriteFile(QStringLiteral("Corvane.ini"), kept + "[Print]\r\nprtOffX=1\r\n");
    Type(QStringLiteral("007"), QStringLiteral("-0"));
    Click(window->btnOK);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("保存设置成功！")});
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Information);
    EXPECT_TRUE(window.isNull()) << "closed and freed";
    EXPECT_EQ(PrtOffX, 7);
    EXPECT_EQ(PrtOffY, 0);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("Corvane.ini")), kept + "[Print]\r\nprtOffX=7\r\nprtOffY=0\r\n");
    const QStringList log = folder.LogMessages();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log.at(log.size() - 2), QStringLiteral("调整横向偏移量为:007,纵向偏移量为:-0"));
    EXPECT_EQ(log.last(), QStringLiteral("关闭打印设置窗口"));

    context.reset();
    PrtOffX = PrtOffY = 99;
    context = std::make_unique<TTestContext>(folder);
    EXPECT_EQ(PrtOffX, 7);
    EXPECT_EQ(PrtOffY, 0);
}

TEST_F(AdjustPrint, ASettingsFileThatCannotBeWrittenKeepsTheOffsetsInUse)
{
    // A folder in the settings file's place: nothing can be written there.
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("Corvane.ini")));
    PrtOffX = 2;
    PrtOffY = 3;
    Type(QStringLiteral("5"), QStringLiteral("6"));
    Click(window->btnOK);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("保存设置失败！")});
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Error);
    EXPECT_EQ(PrtOffX, 2);
    EXPECT_EQ(PrtOffY, 3);
    ASSERT_FALSE(window.isNull()) << "stays open to try again or cancel";
    EXPECT_FALSE(folder.LogMessages().contains(QStringLiteral("调整横向偏移量为:5,纵向偏移量为:6")));
}

TEST_F(AdjustPrint, ALogThatCannotBeWrittenKeepsTheSavedOffsetsAndIsReportedOnce)
{
    ASSERT_TRUE(folder.BreakLog());
    Type(QStringLiteral("4"), QStringLiteral("-3"));
    Click(window->btnOK);
    // The offsets line and the close line both fail: one box for the log, then the success.
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Error);
    EXPECT_TRUE(dialogs.Shown()[0].text.contains(QStringLiteral("Log05.Log"))) << dialogs.Shown()[0].text.toStdString();
    EXPECT_EQ(dialogs.Shown()[1].text, QStringLiteral("保存设置成功！"));
    EXPECT_TRUE(window.isNull()) << "closed and freed";
    EXPECT_EQ(PrtOffX, 4);
    EXPECT_EQ(PrtOffY, -3);
    EXPECT_EQ(Ini("prtOffX"), QStringLiteral("4"));
    EXPECT_EQ(Ini("prtOffY"), QStringLiteral("-3"));
}

TEST_F(AdjustPrint, TestPrintShowsTheTypedOffsetsAndKeepsThemOnlyWhenAnsweredYes)
{
    TPdfPrint pdf;
    Type(QStringLiteral("-5"), QStringLiteral("7"));
    dialogs.Answer(mbNo);
    Click(window->btnPrtTest);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("打印是否正常,如正常则保存设置??")});
    EXPECT_EQ(dialogs.Shown()[0].buttons, mbYes | mbNo);
    EXPECT_EQ(PrtOffX, 0);
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("Corvane.ini"))));
    ASSERT_FALSE(window.isNull());

    const auto pages = ReadPdfWords(pdf.File());
    ASSERT_EQ(pages.size(), 1u);
    const TPrintDateItem& ghdw = PrintTpl->GetItem(PrintTpl->IndexOfName(QStringLiteral("ghdw")));
    const auto found = FindWords(pages[0], ghdw.ItemDisName);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].box.left(), ghdw.ItemPosX - 5 + 3.5, 0.6);  // two 10-pt average characters
    EXPECT_NEAR(found[0].box.top(), ghdw.ItemPosY + 7, 0.5);
    EXPECT_EQ(pages[0].words.size(), static_cast<size_t>(PrintTpl->Count()));

    dialogs.Clear();
    dialogs.Answer(mbYes);
    Click(window->btnPrtTest);
    EXPECT_EQ(dialogs.Texts(),
              (QStringList{QStringLiteral("打印是否正常,如正常则保存设置??"), QStringLiteral("保存设置成功！")}));
    EXPECT_EQ(PrtOffX, -5);
    EXPECT_EQ(PrtOffY, 7);
    EXPECT_EQ(Ini("prtOffX"), QStringLiteral("-5"));
    EXPECT_TRUE(window.isNull());
}

TEST_F(AdjustPrint, AFailedTestPrintIsReportedAndAsksNothing)
{
    TQtPrintDevice noPrinter([] { return QString(); });
    TPrintDevice* previous = SetPrintDevice(&noPrinter);
    qunsetenv(kPrintPdfVariable);
    Type(QStringLiteral("1"), QStringLiteral("1"));
    Click(window->btnPrtTest);
    SetPrintDevice(previous);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Error);
    EXPECT_EQ(dialogs.Shown()[0].text, QStringLiteral("打印失败！\n没有安装打印机！"));
    EXPECT_EQ(PrtOffX, 0);
    ASSERT_FALSE(window.isNull());
}

TEST_F(AdjustPrint, CancelKeepsEverythingAndLogsTheClose)
{
    Type(QStringLiteral("9"), QStringLiteral("9"));
    Click(window->btnClose);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(PrtOffX, 0);
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("Corvane.ini"))));
    EXPECT_EQ(folder.LogMessages().last(), QStringLiteral("关闭打印设置窗口"));
}

TEST(CheckOffsets, WithNoTemplateOnlyZeroPasses)
{
    EXPECT_TRUE(CheckOffsets(QStringLiteral("0"), QStringLiteral("-0"), 0, 0).Ok());
    EXPECT_EQ(CheckOffsets(QStringLiteral("1"), QStringLiteral("0"), 0, 0).message,
              QStringLiteral("横向偏移绝对值不能大于纸张宽度！"));
    EXPECT_EQ(CheckOffsets(QStringLiteral("0"), QStringLiteral("-1"), 0, 0).message,
              QStringLiteral("纵向偏移绝对值不能大于纸张高度！"));
}

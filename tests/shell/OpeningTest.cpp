// The main window's opening test: every action that opens a window, triggered as the clerk
// does, must bring up one window of its class, whole, at its size, with the focus in its first
// field and the clerk's typing landing there.
#include "QtPrinters.h"
#include "MainTestData.h"
#include "MainWindowTest.h"
#include "core/Common.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "invoices/TIssueWindow.h"
#include "invoices/TframeInput.h"
#include "shell/TfrmUpdate.h"
#include "widgets/Pictures.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {
struct TOpeningRow {
    const char* action;       // objectName of the main window's action
    const char* windowClass;  // the class of the window it opens
    const char* caption;
    QSize minimum;      // the size its Part gives the window (its client area); 0 x 0 when none
    const char* focus;  // objectName of the widget that has the focus when it comes up
};

// One row per action that opens a window.
const TOpeningRow kOpenings[] = {
    {"KJZCFP", "TfrmMKNormalInv", "单车销售发票开具", {770, 527}, "edtGHDW"},
    {"PLKJFP", "TfrmPLMKInv", "批量销售发票开具", {770, 532}, "edtGHDW"},
    {"FSFPKJ", "TfrmCHInv", "负数发票开具", {770, 531}, "edtInput"},
    {"FPRKGL", "TfrmLYFP", "领用发票", {0, 0}, "edtFPDM"},
    {"infoAct", "TfrmBaseInfo", "企业基本信息", {600, 400}, "edtAdd"},  // the name is locked once stored
    {"SCCJAct", "TfrmCJCL", "生产厂家维护", {700, 525}, "DBGrid1"},
    {"passAct", "TfrmUpdatePass", "修改口令", {481, 294}, "edtOldPass"},
    {"Action2", "TfrmAdjustPrint", "打印调试", {370, 240}, "edtOffX"},
    {"Action1", "TfrmUpdate", "在线升级", {0, 0}, "btnClose"},
    {"aboutAct", "TfrmAbout", "关于", {499, 235}, "BitBtn1"},
    {"YKFPGL", "TfrmYKJFPGL", "已开具发票管理", {0, 0}, "dtpStart"},
    {"WKFPGL", "TfrmWKJFPGL", "未开具发票管理", {483, 300}, "edtEFPHM"},
    {"qrySaleAct", "TfrmQrySale", "开票记录查询", {0, 0}, "dtpStart"},
    {"qryInvRecAct", "TfrmQryInvRec", "查询发票库存信息", {0, 0}, "dtpStart"},
    {"SCFPQD", "TfrmMKSaleReport", "生成《机动车销售统一发票清单》", {831, 565}, "btnMakeRep"},
    {"SCLYCBB", "TfrmMKInvReport", "生成《机动车销售统一发票领用存月报表》", {833, 540}, "edtRepName"},
    {"SCRPSJ", "TfrmRPSBSJ", "生成软盘申报数据", {379, 244}, "btnOK"},
    {"exportSaleAct", "TfrmExportSaleData", "销售发票清单导出", {0, 0}, "SpeedButton1"},
    {"exportInvAct", "TfrmExportInvData", "发票领用库存导出", {0, 0}, "SpeedButton1"},
    {"importSaleAct", "TfrmImportSaleData", "销售发票清单导入", {0, 0}, "SpeedButton1"},
    {"importInvAct", "TfrmImportInvData", "发票领用库存导入", {0, 0}, "SpeedButton1"},
    {"ImportICData", "TfrmMKICData", "生成IC卡申报数据", {0, 0}, "btnPath"},
};

void PrintTo(const TOpeningRow& row, std::ostream* os) { *os << row.action; }

// What the clerk sees typed in a field; nothing for a widget that takes no text.
std::optional<QString> ShownText(QWidget* w)
{
    if (auto* edit = qobject_cast<QLineEdit*>(w); edit && !edit->isReadOnly())
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->isEditable())
        return combo->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w); memo && !memo->isReadOnly())
        return memo->toPlainText();
    return std::nullopt;
}

// Whether a label has room for all of its text: each line, or the wrapped text, fits inside it.
bool ShowsWholeText(const QLabel* label)
{
    const QRect room = label->contentsRect();
    if (label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    const QStringList lines = label->text().split(u'\n');
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    return widest <= room.width() && label->fontMetrics().lineSpacing() * lines.size() <= room.height() + 2;
}

// Whether the title bar a window is drawn with shows the program's icon: its tile's colour in
// the top-left corner, where the icon sits.
bool ShowsProgramIcon(QWidget* outer)
{
    if (outer->isWindow())  // the window system draws its title bar from the icon
        return outer->windowIcon().pixmap(16).toImage() == ProgramIcon().pixmap(16).toImage();
    QImage corner;
    if (outer->isMaximized()) {
        // A maximised work window shows its icon at the left of the main window's menu bar.
        const auto* main = qobject_cast<QMainWindow*>(outer->window());
        QWidget* icon = main && main->menuBar() ? main->menuBar()->cornerWidget(Qt::TopLeftCorner) : nullptr;
        if (!icon)
            return false;
        corner = icon->grab().toImage();
    } else {
        const int bar = std::max(outer->contentsMargins().top(), 16);
        corner = outer->grab(QRect(0, 0, 2 * bar, bar)).toImage();
    }
    const QColor tile(0x1d6f8f);
    int near = 0;
    for (int y = 0; y < corner.height(); ++y)
        for (int x = 0; x < corner.width(); ++x) {
            const QColor c = corner.pixelColor(x, y);
            near += std::abs(c.red() - tile.red()) + std::abs(c.green() - tile.green()) + std::abs(c.blue() - tile.blue()) < 40;
        }
    return near >= 20;
}

// Counts the keys that reach a widget and keeps them from it (a button, a grid).
class TKeyCounter : public QObject {
public:
    int keys = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        ++keys;
        return true;
    }
};

// The main window of a branch point with a company, a roll of blank invoices, a car type and
// a model: every action can open its window.
class ReadyMainWindow : public TMainWindowTest {
protected:
    void SetUp() override
    {
        StartMain(CompanySql(InvoicingPointKind::Branch) + RollSql() +
                  QStringLiteral("insert into CLLX(cllx) values('轿车');"
                                 "insert into SCCJ(cpxh,sccj,cd) values('某牌SV7180','某汽车制造厂','广州');"));
    }
    // An action the branch point is not offered is tried at the head point.
    QAction* Action(const char* name)
    {
        auto* action = main->findChild<QAction*>(QString::fromLatin1(name));
        if (action && !action->isVisible()) {
            DataBase->Run(QStringLiteral("update baseinfo set flag=:flag"), {{QStringLiteral("flag"), InvoicingPointKind::Head}});
            LoadBaseInfo(*DataBase, CorpInfo);
            main->UpdateMenus();
        }
        return action;
    }

    TUrlCatcher urls;
};

class Opening : public ReadyMainWindow, public ::testing::WithParamInterface<TOpeningRow> {
protected:
    // Everything a clerk gets from the window, in the area it must fit in.
    void Inspect(QWidget* window, const QRect& workArea, QWidget* outer)
    {
        const TOpeningRow& row = GetParam();
        EXPECT_STREQ(window->metaObject()->className(), row.windowClass);
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(row.caption));
        EXPECT_GE(window->width(), row.minimum.width());
        EXPECT_GE(window->height(), row.minimum.height());
        EXPECT_TRUE(workArea.contains(outer->geometry())) << "whole in the work area";
        EXPECT_TRUE(ShowsProgramIcon(outer)) << "the program's icon, not the toolkit's";
        if (!outer->isMaximized() && !row.minimum.isEmpty()) {
            EXPECT_NEAR(outer->geometry().center().x(), workArea.center().x(), 2) << "centred";
            EXPECT_NEAR(outer->geometry().center().y(), workArea.center().y(), 2) << "centred";
        }
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus->objectName(), QString::fromLatin1(row.focus));
        EXPECT_TRUE(window->isAncestorOf(focus));

        // The clerk types at once: the keys go where the window system sends them.
        const std::optional<QString> before = ShownText(focus);
        TKeyCounter counter;
        if (!before)
            focus->installEventFilter(&counter);
        for (const char key : {'4', '2'})
            QTest::keyClick(QApplication::activeWindow()->windowHandle(), key);
        if (before) {
            const QString typed = *ShownText(focus);
            EXPECT_TRUE(typed.endsWith(QStringLiteral("42"))) << typed.toStdString();
        } else {
            EXPECT_EQ(counter.keys, 2);
        }
    }
};

TEST_P(Opening, BringsUpTheWindowWholeWithTheFocusInItsFirstField)
{
    const TOpeningRow& row = GetParam();
    QAction* action = Action(row.action);
    ASSERT_NE(action, nullptr) << row.action;
    ASSERT_TRUE(action->isVisible()) << row.action;

    EXPECT_TRUE(ConnectionIdle(folder)) << "the main window shown";
    // A modal window is looked at while it is up, then closed.
    if (WhileModal([action] { action->trigger(); },
                   [&](QWidget* up) {
                       Inspect(up, up->screen()->availableGeometry(), up);
                       EXPECT_TRUE(ConnectionIdle(folder)) << "the window up";
                       EXPECT_NEAR(up->frameGeometry().center().x(), main->frameGeometry().center().x(), 2)
                           << "centred on the main window";
                   }))
        return;

    const QList<QWidget*> open = main->OpenChildren();
    ASSERT_EQ(open.size(), 1) << OpenClasses(*main).join(u',').toStdString();
    EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join(u'|').toStdString();
    QWidget* window = open.first();
    auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    ASSERT_NE(frame, nullptr);
    Inspect(window, main->MDIClient->viewport()->rect(), frame);
    EXPECT_TRUE(ConnectionIdle(folder)) << "the window up";
    if (HasFailure())
        return;

    // Minimised and restored, the window keeps what was typed and where the clerk was.
    QWidget* focus = QApplication::focusWidget();
    const std::optional<QString> typed = ShownText(focus);
    frame->showMinimized();
    QApplication::processEvents();
    frame->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(ShownText(focus), typed);
}

// From the first field, Tab walks the window's own order and comes back to it.
TEST_F(ReadyMainWindow, TabWalksTheWindowsOrderFromTheFirstField)
{
    const struct {
        const char* action;
        QStringList order;
    } walks[] = {
        {"passAct", {"edtOldPass", "edtNewPass", "edtSecPass", "btnOK", "BitBtnCancel", "edtOldPass"}},
        {"KJZCFP", {"edtGHDW",  "edtGHDWID", "cmbCLLX", "cmbCPXH", "edtCD",    "edtHGZHM", "edtJKZMHM", "edtSJDHM",
                    "edtFDJH",  "edtCJHM",   "edtDJ",   "edtHTDH", "edtJWFY1", "edtJWJE1", "edtJWFY2",  "edtJWJE2",
                    "edtJWFY3", "edtJWJE3",  "edtSKR",  "btnAdd",  "btnPrt",   "btnClose", "edtGHDW"}},
    };
    for (const auto& walk : walks) {
        SCOPED_TRACE(walk.action);
        Action(walk.action)->trigger();
        FreeClosedWindows();
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 1; i < walk.order.size(); ++i) {
            QTest::keyClick(main->windowHandle(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(seen, walk.order);
    }
}

// Enter on the button the focus is on presses it, as Space does.
TEST_F(ReadyMainWindow, EnterOnAFocusedButtonPressesIt)
{
    Action("passAct")->trigger();
    for (const char* typed : {"740291", "135790", "135790"}) {
        for (const char key : std::string(typed))
            QTest::keyClick(main->windowHandle(), key);
        QTest::keyClick(main->windowHandle(), Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("btnOK"));
    QTest::keyClick(main->windowHandle(), Qt::Key_Return);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("修改口令成功！")});

    Action("FSFPKJ")->trigger();
    FreeClosedWindows();
    QWidget* close = main->OpenChildren().value(0)->findChild<QWidget*>(QStringLiteral("btnClose"));
    close->setFocus();
    QTest::keyClick(main->windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
    FreeClosedWindows();
    EXPECT_TRUE(main->OpenChildren().isEmpty());
    EXPECT_EQ(LogLines(folder.Path()).last(), QStringLiteral("关闭负数发票开具"));
}

TEST_F(ReadyMainWindow, TheAboutBoxShowsItsWholeText)
{
    int labels = 0;
    WhenModal([&labels](QWidget* box) {
        for (const QLabel* label : box->findChildren<QLabel*>())
            if (!label->text().isEmpty()) {
                ++labels;
                EXPECT_TRUE(ShowsWholeText(label)) << label->text().toStdString();
            }
        box->close();
    });
    Action("aboutAct")->trigger();
    EXPECT_EQ(labels, 2);
}

// The upgrade page opens the address as the settings file holds it, and says so only when a
// browser took it.
TEST_F(ReadyMainWindow, TheUpgradePageOpensTheAddressWrittenAndSaysWhetherABrowserTookIt)
{
    folder.WriteFile(QStringLiteral("Corvane.ini"), "; the head office's page\n[download]\nurl = http://h/up?a=1,2;v=2\n");
    auto* page = Through<TfrmUpdate>(Action("Action1"));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(urls.Urls, QList<QUrl>{QUrl(QStringLiteral("http://h/up?a=1,2;v=2"))});
    EXPECT_TRUE(page->WebBrowser1->text().startsWith(QStringLiteral("升级页面已在浏览器中打开")));

    urls.Refuse();
    page = Through<TfrmUpdate>(Action("Action1"));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->WebBrowser1->text().contains(QStringLiteral("未能打开浏览器")));
    EXPECT_TRUE(page->WebBrowser1->text().contains(QStringLiteral("http://h/up?a=1,2;v=2")));
}

// The invoice image comes up laid out as it stays: "清空发票" (or any later preparation)
// changes nothing of it, every caption has room for its text and the lists show theirs.
TEST_F(ReadyMainWindow, TheInvoiceImageComesUpLaidOutAsItStays)
{
    auto* window = Through<TIssueWindow>(Action("KJZCFP"));
    ASSERT_NE(window, nullptr);
    const TframeInput& f = *window->frameInput1;
    const QSize first = window->Panel1->size();
    for (const QLabel* label : f.findChildren<QLabel*>()) {
        if (label->isVisible()) {
            EXPECT_TRUE(ShowsWholeText(label)) << label->text().toStdString();
        }
    }
    EXPECT_GE(f.cmbCPXH->width(), f.cmbCPXH->sizeHint().width()) << "the model shows whole";
    window->btnAdd->click();
    EXPECT_EQ(window->Panel1->size(), first);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, Opening, ::testing::ValuesIn(kOpenings),
                         [](const ::testing::TestParamInfo<TOpeningRow>& info) { return std::string(info.param.action); });
}  // namespace

#include "QtPrinters.h"
#include "MainTestData.h"
#include "MainWindowTest.h"
#include "ScriptedDialogs.h"
#include "core/Errors.h"
#include "core/Common.h"
#include "reports/TfrmImportSaleData.h"
#include "shell/TApplication.h"
#include "widgets/QtDialogs.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

TEST(DeliverGuarded, AnEscapingErrorIsShownInAnErrorBoxAndTheEventCountsAsUnhandled)
{
    TScriptedDialogs dialogs;
    EXPECT_FALSE(DeliverGuarded([]() -> bool { throw EDatabaseError(QStringLiteral("数据库已锁定")); }));
    EXPECT_FALSE(DeliverGuarded([]() -> bool { throw std::runtime_error("bad state"); }));
    EXPECT_FALSE(DeliverGuarded([]() -> bool { throw 42; }));
    ASSERT_EQ(dialogs.Shown().size(), 3u);
    for (const TShownBox& box : dialogs.Shown()) {
        EXPECT_EQ(box.kind, TMsgKind::Error);
        EXPECT_EQ(box.caption, QStringLiteral("错误"));
    }
    EXPECT_EQ(dialogs.Texts(), (QStringList{"数据库已锁定", "bad state", "未知错误"}));
}

TEST(DeliverGuarded, ADeliveryWithoutErrorKeepsItsResultAndShowsNothing)
{
    TScriptedDialogs dialogs;
    EXPECT_TRUE(DeliverGuarded([] { return true; }));
    EXPECT_FALSE(DeliverGuarded([] { return false; }));
    EXPECT_TRUE(dialogs.Shown().empty());
}

namespace {
QStringList g_warnings;
void CatchWarning(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        g_warnings << message;
}
}  // namespace

// Without the translation the program starts all the same, and says why once.
TEST(QtTranslationFile, AMissingFileIsLoggedOnceAndStartUpGoesOn)
{
    QTemporaryDir empty;
    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CatchWarning);
    const bool loaded = LoadQtTranslations(empty.path());
    qInstallMessageHandler(previous);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(g_warnings.size(), 1);
    EXPECT_TRUE(g_warnings.first().contains(QStringLiteral("qtbase_zh_CN"))) << g_warnings.first().toStdString();
}

// The open dialog of the sales import, as the clerk opens it, speaks Chinese.
class QtTranslations : public TMainWindowTest {};

TEST_F(QtTranslations, TheImportsOpenDialogIsChinese)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(folder + QStringLiteral("/qtbase_zh_CN.qm")))
        GTEST_SKIP() << "qtbase_zh_CN.qm is not installed in " << folder.toStdString()
                     << " (scripts/install-deps.sh installs qt6-translations-l10n)";
    ASSERT_TRUE(LoadQtTranslations());  // as at start-up
    StartMain(CompanySql(InvoicingPointKind::Head));
    auto* window = Through<TfrmImportSaleData>(main->importSaleAct);
    ASSERT_NE(window, nullptr);
    QStringList buttons, labels;
    bool widgets = false;
    TQtDialogs boxes;
    TDialogs* scripted = SetDialogs(&boxes);
    WhileModal([&] { window->SpeedButton1->click(); },
               [&](QWidget* up) {
                   widgets = qobject_cast<QFileDialog*>(up) != nullptr;
                   for (const QPushButton* b : up->findChildren<QPushButton*>())
                       if (b->isVisible())
                           buttons << b->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
                   for (const QLabel* l : up->findChildren<QLabel*>())
                       if (l->isVisible() && !l->text().isEmpty())
                           labels << l->text();
                   up->close();
               });
    SetDialogs(scripted);
    ASSERT_TRUE(widgets) << "Qt's own file dialog";
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"取消", "打开"}));
    ASSERT_FALSE(labels.isEmpty());
    for (const QString& text : labels)
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}")))) << text.toStdString();
    EXPECT_TRUE(window->edtPath->text().isEmpty());  // cancelled: nothing chosen
}

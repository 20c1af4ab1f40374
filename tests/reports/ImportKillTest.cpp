// A child process stores a sales list and is killed at moments chosen by what it reports: the
// invoices are stored all or none, the file stays until they are, and importing again stores
// none twice.
#include "QtPrinters.h"
#include "ChildProgram.h"
#include "ProgramFolder.h"
#include "ReportTestData.h"
#include "ScriptedDialogs.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "exchange/RecordsetXmlWriter.h"
#include "reports/ExchangeLists.h"
#include "reports/TfrmImportSaleData.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {
const char* const kChildVariable = "TALLYRA_IMPORT_CHILD";
constexpr int kRows = 4000;  // one save well under a second
const QString kList = QStringLiteral("2026年02月一店销售清单.xml");

[[noreturn]] void SaveUntilKilled(const QString& folder)
{
    SetProgramFolder(folder);
    InitGlobals();
    TScriptedDialogs dialogs;
    TfrmImportSaleData window;
    window.edtPath->setText(folder + kList);
    window.btnImportClick();
    DataBase->SetBeforeCommitHook([] { TellParent("commit"); });
    TellParent("ready");
    window.btnSaveClick();
    std::_Exit(dialogs.Texts().constLast().startsWith(QStringLiteral("保存销售数据成功!")) ? 0 : 3);
}

// Invoices stored, and invoices stored more than once.
std::pair<int, int> Stored(const QString& file)
{
    return {
        FileInt(file, QStringLiteral("select count(*) from SaleDetail")),
        FileInt(file, QStringLiteral("select count(*) from (select 1 from SaleDetail group by fpdm,fphm having count(*)>1)"))};
}
}  // namespace

TEST(ImportKill, AllRowsOrNoneAfterEveryKill)
{
    if (qEnvironmentVariableIsSet(kChildVariable))
        SaveUntilKilled(qEnvironmentVariable(kChildVariable));

    TTestProgramFolder folder;
    folder.Sql(CompanySql(QStringLiteral("是"), QStringLiteral("总部")));
    {
        TTestContext context(folder);
        TRecordset rs = QueryList(*DataBase, SaleList(), QStringLiteral("一店"), QStringLiteral("2026-02"));  // no row yet
        for (int i = 1; i <= kRows; ++i) {
            const QVariantList v = InvoiceValues(QStringLiteral("一店"), QStringLiteral("2026-02-03 10:00:00"),
                                                 QString::number(i).rightJustified(8, u'0'), 125000.5);
            rs.rows.emplace_back(v.begin(), v.end());
        }
        SaveRecordsetXmlFile(folder.File(QStringLiteral("branch.xml")), rs);
    }
    const QByteArray list = folder.ReadFile(QStringLiteral("branch.xml"));
    // One run: the child loads the list and saves it. Killed killAfterMs after it starts saving,
    // or as soon as it is about to commit (atCommit), or not at all (killAfterMs < 0).
    auto run = [&](int killAfterMs, bool atCommit) {
        if (!QFile::exists(folder.File(kList)))
            folder.WriteFile(kList, list);  // the branch's copy, brought again
        TChildProgram child(kChildVariable, folder.Path(), QStringLiteral("ImportKill.*"));
        EXPECT_TRUE(child.Start());
        EXPECT_TRUE(child.WaitFor("ready")) << child.Errors();
        QElapsedTimer saving;
        saving.start();
        bool killed = false;
        if (atCommit) {
            child.WaitFor("commit");
            killed = child.Kill();
        } else if (killAfterMs >= 0) {
            killed = child.KillAfter(killAfterMs);
        }
        EXPECT_TRUE(child.Ended());
        EXPECT_TRUE(killed || child.ExitCode() == 0) << child.Errors();
        return std::pair<bool, qint64>(killed, saving.elapsed());
    };

    // One whole save tells how long the kills may wait, however busy the machine; it is then undone.
    const qint64 whole = run(-1, false).second;
    EXPECT_EQ(Stored(folder.DatabaseFile()), std::make_pair(kRows, 0));
    folder.Sql(QStringLiteral("delete from SaleDetail"));
    QRandomGenerator random(20260305);
    int killed = 0;
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const bool atCommit = i % 2 == 1;
        killed += run(static_cast<int>(random.bounded(static_cast<quint32>(whole * 5 / 4) + 1)), atCommit).first;
        const auto [rows, doubled] = Stored(folder.DatabaseFile());
        EXPECT_TRUE(rows == 0 || rows == kRows) << rows;
        EXPECT_EQ(doubled, 0);
        EXPECT_TRUE(rows == kRows || QFile::exists(folder.File(kList)));
    }
    EXPECT_GE(killed, 4);
    run(-1, false);
    EXPECT_EQ(Stored(folder.DatabaseFile()), std::make_pair(kRows, 0));
    EXPECT_FALSE(QFile::exists(folder.File(kList)));
}

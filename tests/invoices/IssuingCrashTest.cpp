// A child process issues invoices in a loop and is killed at random moments; after every kill
// the stock must still agree with the invoices stored.
#include "ChildProgram.h"
#include "IssuingTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "core/Globals.h"
#include "invoices/TframeInput.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
const char* const kChildVariable = "TALLYRA_CRASH_CHILD";

// The child: the program folder is given; it issues until it runs out of blanks or is killed.
[[noreturn]] void IssueUntilKilled(const QString& folder)
{
    SetProgramFolder(folder);
    InitGlobals();
    PrintInto(folder + QStringLiteral("/invoice.pdf"));
    TScriptedDialogs dialogs;
    TframeInput frame;
    TellParent("ready");
    while (frame.InitInvoice()) {
        FillValidInvoice(frame, frame.stFPHM->text().toInt());
        dialogs.Clear();
        dialogs.AnswerInput(frame.stFPHM->text());
        if (!frame.CheckInput(QStringLiteral("0")) || !frame.SaveAndPrint(QStringLiteral("0"))) {
            std::fprintf(stderr, "issue failed: %s\n", dialogs.Texts().join(u'|').toUtf8().constData());
            std::_Exit(3);
        }
        TellParent("issued");
    }
    std::_Exit(0);
}

struct TStock {
    int rolls = 0;
    int issued = 0;
    QStringList faults;
};

// For every roll: copies left plus numbers used equal copies received, the numbers used are
// the first ones of the roll without a gap, and the current number is the next one. No
// number is stored twice.
TStock CheckStock(const QString& file)
{
    TStock s;
    if (!QFileInfo::exists(file)) {
        s.faults << QStringLiteral("cannot open the database");
        return s;
    }
    for (const QStringList& roll :
         FileRows(file, QStringLiteral("select fpdm,fphmq,fphmz,dqhm,lyfs,syfs from fpkcxx order by fpdm"))) {
        const QString& code = roll.at(0);
        const QString& first = roll.at(1);
        const QString& last = roll.at(2);
        const QString& current = roll.at(3);
        const int received = roll.at(4).toInt();
        const int left = roll.at(5).toInt();
        const QString inRoll =
            QStringLiteral("from SaleDetail where fpdm='%1' and fphm between '%2' and '%3'").arg(code, first, last);
        const int used = FileInt(file, QStringLiteral("select count(*) ") + inRoll);
        const int below = FileInt(file, QStringLiteral("select count(*) %1 and fphm < '%2'").arg(inRoll, current));
        ++s.rolls;
        s.issued += used;
        if (left + used != received)
            s.faults << QStringLiteral("%1: %2 left + %3 used != %4").arg(code).arg(left).arg(used).arg(received);
        const int next = first.toInt() + used;
        const QString expected = left > 0 ? QString::number(next).rightJustified(8, u'0') : last;
        if (current != expected)
            s.faults << QStringLiteral("%1: current %2, expected %3").arg(code, current, expected);
        if (below != (left > 0 ? used : used - 1))
            s.faults << QStringLiteral("%1: a gap before %2").arg(code, current);
    }
    if (FileInt(file, QStringLiteral("select count(*) from (select 1 from SaleDetail group by fpdm,fphm having count(*)>1)")) !=
        0)
        s.faults << QStringLiteral("a number stored twice");
    return s;
}

TEST(IssuingCrash, StockHoldsAfterEveryKill)
{
    if (qEnvironmentVariableIsSet(kChildVariable))
        IssueUntilKilled(qEnvironmentVariable(kChildVariable));

    TTestProgramFolder folder;
    SeedIssuing(folder);
    AddRoll(folder, QStringLiteral("144001900222"), QStringLiteral("00000001"), QStringLiteral("00005000"),
            QStringLiteral("2026-03-02"));
    UseDefaultTemplate(folder);
    QRandomGenerator random(20260305);
    int killed = 0;
    int lastIssued = 0;
    constexpr int kRuns = 16;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(run);
        TChildProgram child(kChildVariable, folder.Path(), QStringLiteral("IssuingCrash.StockHoldsAfterEveryKill"));
        ASSERT_TRUE(child.Start());
        // Each run issues an invoice, then times the next one as the machine runs now, so that
        // the kill comes at any moment of the third however slow the machine is.
        ASSERT_TRUE(child.WaitFor("issued")) << child.Errors();
        QElapsedTimer issuing;
        issuing.start();
        ASSERT_TRUE(child.WaitFor("issued")) << child.Errors();
        const qint64 took = issuing.elapsed();
        if (child.KillAfter(static_cast<int>(random.bounded(static_cast<quint32>(took * 5 / 4) + 1))))
            ++killed;
        ASSERT_TRUE(child.Ended());
        EXPECT_NE(child.ExitCode(), 3) << child.Errors();
        const TStock stock = CheckStock(folder.DatabaseFile());
        ASSERT_TRUE(stock.faults.isEmpty()) << stock.faults.join(u'\n').toStdString();
        EXPECT_EQ(stock.rolls, 2);
        EXPECT_GE(stock.issued, lastIssued);
        lastIssued = stock.issued;
    }
    // The runs did issue, and were cut off rather than running out.
    EXPECT_GE(lastIssued, 2 * kRuns);
    EXPECT_LT(lastIssued, 5050);
    EXPECT_EQ(killed, kRuns);
}
}  // namespace

#include "QtPrinters.h"
#include "FormTest.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "ShellTestSupport.h"
#include "Typing.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "widgets/DataGrid.h"
#include "shell/TfrmCJCL.h"

#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class MakersAndTypes : public TFormTest<TfrmCJCL> {
protected:
    void Open(const QString& sql = {})
    {
        TFormTest::Open(sql);
        ASSERT_TRUE(ShowActive(form));
    }
    // Types a new value into a cell of the current row through the grid's own editor.
    void TypeInto(TGridTable* table, const QString& field, const QString& text)
    {
        TDBGrid* grid = table->Grid();
        const QModelIndex index = table->Model()->index(table->RecNo(), table->Model()->fieldIndex(field));
        grid->setFocus();
        grid->setCurrentIndex(index);
        grid->edit(index);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, grid);
        TypeText(editor, text);
    }
    QString Models() const
    {
        return DataBase
            ->Scalar(QStringLiteral("select group_concat(cpxh||'/'||ifnull(sccj,'-')||'/'||ifnull(cd,'-'), ';') "
                                    "from (select * from SCCJ order by id)"))
            .toString();
    }
    int Count(const char* table) const
    {
        return DataBase->Scalar(QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table))).toInt();
    }
};

const char* const kRows =
    "insert into SCCJ(cpxh,sccj,cd) values('A1','甲厂','北京');"
    "insert into SCCJ(cpxh,sccj,cd) values('B2','乙厂','上海');"
    "insert into SCCJ(cpxh,sccj,cd) values('C3','丙厂','广州');"
    "insert into CLLX(cllx) values('轿车');"
    "insert into CLLX(cllx) values('货车');";
}  // namespace

TEST_F(MakersAndTypes, TheButtonsActOnTheTableOfThePageShown)
{
    Open(QString::fromUtf8(kRows));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("生产厂家维护"));
    EXPECT_EQ(form->PageControl1->tabText(0), QStringLiteral("生成厂家维护"));
    EXPECT_TRUE(form->DBGrid1->isColumnHidden(0));
    EXPECT_EQ(form->DBGrid1->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("厂牌型号"));
    EXPECT_EQ(form->DBGrid1->columnWidth(2), 214);
    EXPECT_EQ(form->DBGrid2->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("车辆类型"));

    form->BitBtn12->click();
    EXPECT_EQ(form->adotbSCCJ->RecNo(), 2);
    EXPECT_EQ(form->adotbCLLX->RecNo(), 0);
    form->BitBtn11->click();  // at the end: nothing
    EXPECT_EQ(form->adotbSCCJ->RecNo(), 2);
    form->BitBtn10->click();
    EXPECT_EQ(form->adotbSCCJ->FieldValue(QStringLiteral("cpxh")).toString(), QStringLiteral("B2"));

    form->PageControl1->setCurrentIndex(1);
    form->BitBtn12->click();
    EXPECT_EQ(form->adotbCLLX->FieldValue(QStringLiteral("cllx")).toString(), QStringLiteral("货车"));
    EXPECT_EQ(form->adotbSCCJ->RecNo(), 1);
    form->BitBtn9->click();
    form->BitBtn10->click();  // at the beginning: nothing
    EXPECT_EQ(form->adotbCLLX->RecNo(), 0);
    form->BitBtn16->click();  // nothing being edited: nothing stored, no message
    EXPECT_TRUE(dialogs.Texts().isEmpty());

    form->BitBtn15->click();
    TypeInto(form->adotbCLLX, QStringLiteral("cllx"), QStringLiteral("客车"));
    form->BitBtn16->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"保存数据成功！"});
    EXPECT_EQ(DataBase->Scalar(QStringLiteral("select cllx from CLLX order by CJID")).toString(), QStringLiteral("客车"));
    EXPECT_EQ(Models(), QStringLiteral("A1/甲厂/北京;B2/乙厂/上海;C3/丙厂/广州"));
}

TEST_F(MakersAndTypes, ANewModelRowStartsWithTheMakerAndOriginOfTheLastRow)
{
    Open(QString::fromUtf8(kRows));
    form->BitBtn9->click();
    form->BitBtn13->click();
    EXPECT_EQ(form->adotbSCCJ->State(), TGridTable::TState::Insert);
    EXPECT_EQ(form->adotbSCCJ->FieldValue(QStringLiteral("sccj")).toString(), QStringLiteral("丙厂"));
    EXPECT_EQ(form->adotbSCCJ->FieldValue(QStringLiteral("cd")).toString(), QStringLiteral("广州"));
    EXPECT_TRUE(form->adotbSCCJ->FieldValue(QStringLiteral("cpxh")).toString().isEmpty());
    TypeInto(form->adotbSCCJ, QStringLiteral("cpxh"), QStringLiteral("D4"));
    form->BitBtn16->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"保存数据成功！"});
    EXPECT_EQ(form->adotbSCCJ->State(), TGridTable::TState::Browse);

    // Moving down from the last row appends one the same way, here after the row just stored.
    QTest::keyClick(form->DBGrid1, Qt::Key_Down);
    EXPECT_EQ(form->adotbSCCJ->State(), TGridTable::TState::Insert);
    TypeInto(form->adotbSCCJ, QStringLiteral("cpxh"), QStringLiteral("E5"));
    TypeInto(form->adotbSCCJ, QStringLiteral("cd"), QStringLiteral("深圳"));  // replaces the prefilled origin
    form->BitBtn9->click();                                                   // leaving the row stores it
    EXPECT_EQ(Models(), QStringLiteral("A1/甲厂/北京;B2/乙厂/上海;C3/丙厂/广州;D4/丙厂/广州;E5/丙厂/深圳"));
    EXPECT_EQ(form->adotbSCCJ->RecNo(), 0);
}

TEST_F(MakersAndTypes, AnEmptyTableGivesEmptyPrefillAndTheRowChecksKeepTheRowInEditing)
{
    Open();
    form->BitBtn13->click();
    EXPECT_EQ(form->adotbSCCJ->FieldValue(QStringLiteral("sccj")).toString(), QString());
    form->BitBtn16->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"厂牌型号不能为空！！"});  // only the first failing check
    EXPECT_EQ(form->adotbSCCJ->State(), TGridTable::TState::Insert);
    TypeInto(form->adotbSCCJ, QStringLiteral("cpxh"), QStringLiteral("A1"));
    form->BitBtn16->click();
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("生产厂家不能为空！！"));
    EXPECT_EQ(Count("SCCJ"), 0);
    TypeInto(form->adotbSCCJ, QStringLiteral("sccj"), QStringLiteral(" "));  // a blank is text
    form->BitBtn16->click();
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("保存数据成功！"));
    EXPECT_EQ(Models(), QStringLiteral("A1/ /-"));

    form->PageControl1->setCurrentIndex(1);
    dialogs.Clear();
    form->BitBtn13->click();
    form->BitBtn16->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"车辆类型不能为空！！"});
    // Leaving the refused row in the grid is refused too: the cursor stays on it.
    form->BitBtn9->click();
    EXPECT_EQ(dialogs.Texts().size(), 2);
    EXPECT_EQ(form->adotbCLLX->State(), TGridTable::TState::Insert);
    QTest::keyClick(form->DBGrid2, Qt::Key_Escape);  // the clerk gives the row up
    EXPECT_EQ(form->adotbCLLX->State(), TGridTable::TState::Browse);
    EXPECT_EQ(form->adotbCLLX->RecordCount(), 0);
    EXPECT_EQ(Count("CLLX"), 0);
}

TEST_F(MakersAndTypes, AnEditedRowIsStoredWhenTheCursorMovesAndARefusedOneHoldsIt)
{
    Open(QString::fromUtf8(kRows));
    TypeInto(form->adotbSCCJ, QStringLiteral("cpxh"), QStringLiteral("A1x"));
    EXPECT_EQ(form->adotbSCCJ->State(), TGridTable::TState::Edit);
    form->DBGrid1->setCurrentIndex(form->adotbSCCJ->Model()->index(2, 1));
    EXPECT_EQ(dialogs.Texts(), QStringList{"保存数据成功！"});
    EXPECT_EQ(form->adotbSCCJ->RecNo(), 2);
    EXPECT_EQ(Models(), QStringLiteral("A1x/甲厂/北京;B2/乙厂/上海;C3/丙厂/广州"));

    // Emptying the model name and moving away keeps the cursor on the row.
    const QModelIndex model = form->adotbSCCJ->Model()->index(2, 1);
    form->DBGrid1->setCurrentIndex(model);
    form->DBGrid1->edit(model);
    QWidget* editor = QApplication::focusWidget();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    form->DBGrid1->setCurrentIndex(form->adotbSCCJ->Model()->index(0, 1));
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("厂牌型号不能为空！！"));
    EXPECT_EQ(form->adotbSCCJ->RecNo(), 2);
    EXPECT_EQ(form->DBGrid1->currentIndex().row(), 2);
    EXPECT_EQ(Models(), QStringLiteral("A1x/甲厂/北京;B2/乙厂/上海;C3/丙厂/广州"));
}

TEST_F(MakersAndTypes, DeletingAsksFirstAndNoKeepsTheRow)
{
    Open(QString::fromUtf8(kRows));
    form->BitBtn11->click();
    dialogs.Answer(mbNo);
    form->BitBtn14->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"确实要删除此记录吗？"});
    EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Confirmation);
    EXPECT_EQ(Count("SCCJ"), 3);
    dialogs.Answer(mbYes);
    form->BitBtn14->click();
    EXPECT_EQ(Models(), QStringLiteral("A1/甲厂/北京;C3/丙厂/广州"));
    EXPECT_EQ(form->adotbSCCJ->FieldValue(QStringLiteral("cpxh")).toString(), QStringLiteral("C3"));

    // The grid's own delete command asks its question first.
    form->PageControl1->setCurrentIndex(1);
    dialogs.Clear();
    dialogs.Answer(mbYes);
    dialogs.Answer(mbYes);
    QTest::keyClick(form->DBGrid2, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Texts(), (QStringList{"删除一行?", "确实要删除此记录吗？"}));
    EXPECT_EQ(Count("CLLX"), 1);
}

TEST_F(MakersAndTypes, ClosingReloadsBothListsAndLogsTheCarTypes)
{
    Open(QString::fromUtf8(kRows));
    form->PageControl1->setCurrentIndex(1);
    form->BitBtn13->click();
    TypeInto(form->adotbCLLX, QStringLiteral("cllx"), QStringLiteral("客车"));
    form->BitBtn16->click();
    form->PageControl1->setCurrentIndex(0);
    form->BitBtn13->click();
    TypeInto(form->adotbSCCJ, QStringLiteral("cpxh"), QStringLiteral("unsaved"));
    const int mark = LogLines(folder.Path()).size();
    form->BitBtn1->click();
    FreeClosedWindows();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(CarTypeList, (QStringList{"轿车", "货车", "客车"}));
    ASSERT_EQ(ModelList.size(), 3);  // a row still being edited is not stored
    EXPECT_EQ(ModelList.at(2).sccj, QStringLiteral("丙厂"));
    EXPECT_EQ(LogLines(folder.Path()).mid(mark), (QStringList{"关闭生产厂家维护", "保存车辆类型:轿车", "货车", "客车", ""}));
}

TEST_F(MakersAndTypes, AnErrorWhileReloadingTheListsIsShownAndTheWindowStillCloses)
{
    Open(QString::fromUtf8(kRows));
    const QStringList before = CarTypeList;
    DataBase->Run(QStringLiteral("drop table CLLX"));
    form->BitBtn1->click();
    FreeClosedWindows();
    EXPECT_TRUE(form.isNull());
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Error);
    EXPECT_TRUE(dialogs.Texts().at(0).contains(QStringLiteral("CLLX"))) << dialogs.Texts().at(0).toStdString();
    EXPECT_EQ(CarTypeList, before);  // the issuing windows keep the lists they had
    EXPECT_EQ(ModelList.size(), 3);
    EXPECT_EQ(LogLines(folder.Path()).last(), QStringLiteral("关闭生产厂家维护"));
}

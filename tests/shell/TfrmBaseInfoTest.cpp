#include "QtPrinters.h"
#include "MainTestData.h"
#include "FormTest.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "ShellTestSupport.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "shell/TfrmBaseInfo.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class BaseInfo : public TFormTest<TfrmBaseInfo> {
protected:
    QList<QLineEdit*> Edits() const
    {
        return {form->edtName,   form->edtAdd,   form->edtTel,         form->edtTaxID, form->edtBank,
                form->edtAcount, form->edtMKMan, form->edtManageTaxID, form->edtKPD};
    }
    void Fill(const QStringList& values, const QString& flag)
    {
        for (int i = 0; i < 9; ++i)
            Edits()[i]->setText(values[i]);
        form->cmbFlag->setCurrentIndex(form->cmbFlag->findText(flag));
    }
    QString Row(const QString& columns = QStringLiteral("corpName||'|'||corpAdd||'|'||kpdName||'|'||flag")) const
    {
        return DataBase->Scalar(QStringLiteral("select %1 from baseinfo order by id limit 1").arg(columns)).toString();
    }
    int Rows() const { return DataBase->Scalar(QStringLiteral("select count(*) from baseinfo")).toInt(); }
};

const QStringList kValues{
    "某汽车销售有限公司", "某市某路1号", "0571-8800000", "330100000000001", "某银行某支行", "6222000000000001", "张三",
    "13301000000",        "一店"};
}  // namespace

TEST_F(BaseInfo, AFirstSaveCreatesTheRowLogsItAndASecondSaveEditsTheSameRow)
{
    Open();
    for (QLineEdit* e : Edits())
        EXPECT_TRUE(e->isEnabled()) << e->objectName().toStdString();
    EXPECT_EQ(form->cmbFlag->currentText(), QString());
    EXPECT_EQ(form->size(), QSize(600, 400));
    const int mark = folder.LogMessages().size();
    Fill(kValues, QStringLiteral("否"));
    form->btnSave->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"保存基本信息成功！"});
    EXPECT_EQ(dialogs.Shown().back().kind, TMsgKind::Information);
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Row(), QStringLiteral("某汽车销售有限公司|某市某路1号|一店|否"));
    EXPECT_EQ(Row(QStringLiteral("OperMan||'|'||ManageTaxID")), QStringLiteral("张三|13301000000"));
    EXPECT_EQ(CorpInfo.kpdName, QStringLiteral("一店"));
    EXPECT_EQ(folder.LogMessages().mid(mark),
              QStringList{"保存基本信息为:某汽车销售有限公司^某市某路1号^0571-8800000^330100000000001^某银行某支行^"
                          "6222000000000001^13301000000^张三^一店"});

    form->edtAdd->setText(QStringLiteral("某市某路2号"));
    form->cmbFlag->setCurrentIndex(form->cmbFlag->findText(QStringLiteral("是")));
    form->btnSave->click();
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Row(), QStringLiteral("某汽车销售有限公司|某市某路2号|一店|是"));
    EXPECT_EQ(CorpInfo.flag, QStringLiteral("是"));

    form->btnClose->click();
    FreeClosedWindows();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(folder.LogMessages().last(), QStringLiteral("关闭企业基本信息"));
}

TEST_F(BaseInfo, EmptyOrBlankFieldsGetTheirMessagesInOrderWithTheFocusOnThem)
{
    Open();
    ASSERT_TRUE(ShowActive(form));
    const QStringList messages{"企业名称不能为空！",     "企业地址不能为空！",         "企业电话不能为空！",
                               "纳税人识别号不能为空！", "企业开户银行不能为空！",     "企业帐号不能为空！",
                               "开票人姓名不能为空！",   "主管税务机关编码不能为空！", "开票点名称不能为空！"};
    for (int i = 0; i < 9; ++i) {
        dialogs.Clear();
        Edits()[i]->setText(QStringLiteral("  "));  // blanks only count as empty
        form->btnSave->click();
        EXPECT_EQ(dialogs.Texts(), QStringList{messages[i]});
        EXPECT_EQ(QApplication::focusWidget(), Edits()[i]) << i;
        Edits()[i]->setText(QStringLiteral(" ") + kValues[i] + QStringLiteral(" "));
    }
    dialogs.Clear();
    form->btnSave->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"是否总开票点不能为空！"});
    EXPECT_EQ(QApplication::focusWidget(), form->cmbFlag);
    EXPECT_EQ(Rows(), 0);

    form->cmbFlag->setCurrentIndex(0);
    form->btnSave->click();
    EXPECT_EQ(Row(QStringLiteral("corpName")), QStringLiteral(" 某汽车销售有限公司 "));  // stored as typed
}

TEST_F(BaseInfo, ReopeningLocksTheIdentifyingFieldsAndTypingStopsAtTheColumnLength)
{
    Open(CompanySql(QStringLiteral("否")));
    EXPECT_EQ(form->edtName->text(), QStringLiteral("某汽车销售有限公司"));
    EXPECT_EQ(form->cmbFlag->currentText(), QStringLiteral("否"));
    for (QLineEdit* e : Edits()) {
        const bool identifying = e == form->edtName || e == form->edtTaxID || e == form->edtManageTaxID || e == form->edtKPD;
        EXPECT_EQ(e->isEnabled(), !identifying) << e->objectName().toStdString();
    }
    // The account takes 30 GBK bytes.
    form->edtAcount->clear();
    ASSERT_TRUE(ShowActive(form));
    form->edtAcount->setFocus();
    for (int i = 0; i < 40; ++i)
        QTest::keyClick(form->edtAcount, Qt::Key_7);
    EXPECT_EQ(form->edtAcount->text().size(), 30);
}

TEST_F(BaseInfo, TheWindowEditsTheRowWithTheLowestId)
{
    Open(QStringLiteral("insert into baseinfo(id,corpName,kpdName,flag) values(5,'后一行','五店','是');") +
         QStringLiteral("insert into baseinfo(id,corpName,corpAdd,CorpTel,corpTaxID,corpBank,corpAcount,ManageTaxID,OperMan,"
                        "kpdName,flag) values(2,'前一行','a','b','c','d','e','f','g','二店','否');"));
    EXPECT_EQ(form->edtName->text(), QStringLiteral("前一行"));
    EXPECT_EQ(CorpInfo.corpName, QStringLiteral("前一行"));
    form->edtAdd->setText(QStringLiteral("新地址"));
    form->btnSave->click();
    EXPECT_EQ(DataBase->Scalar(QStringLiteral("select corpAdd from baseinfo where id=2")).toString(), QStringLiteral("新地址"));
    EXPECT_TRUE(DataBase->Scalar(QStringLiteral("select corpAdd from baseinfo where id=5")).isNull());
    EXPECT_EQ(CorpInfo.corpAdd, QStringLiteral("新地址"));
}

TEST_F(BaseInfo, ALogThatCannotBeWrittenKeepsTheSavedRowAndIsReportedOnce)
{
    Open();
    ASSERT_TRUE(folder.BreakLog());
    Fill(kValues, QStringLiteral("否"));
    form->btnSave->click();
    form->edtAdd->setText(QStringLiteral("新地址"));
    form->btnSave->click();
    ASSERT_EQ(dialogs.Shown().size(), 3u);
    EXPECT_EQ(dialogs.Shown()[0].kind, TMsgKind::Error);
    EXPECT_TRUE(dialogs.Shown()[0].text.contains(QStringLiteral("Log05.Log"))) << dialogs.Shown()[0].text.toStdString();
    EXPECT_EQ(dialogs.Texts().mid(1), (QStringList{"保存基本信息成功！", "保存基本信息成功！"}));
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Row(), QStringLiteral("某汽车销售有限公司|新地址|一店|否"));
    EXPECT_EQ(CorpInfo.corpAdd, QStringLiteral("新地址"));
}

TEST_F(BaseInfo, AStorageFailureSaysSoLogsNothingAndKeepsTheStoredRow)
{
    Open(CompanySql(QStringLiteral("否")) +
         QStringLiteral("create trigger no_update before update on baseinfo begin select raise(abort, 'disk full'); end;"));
    const int mark = folder.LogMessages().size();
    form->edtAdd->setText(QStringLiteral("新地址"));
    form->btnSave->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{"保存基本信息失败！"});
    EXPECT_EQ(dialogs.Shown().at(0).kind, TMsgKind::Warning);
    EXPECT_EQ(folder.LogMessages().mid(mark), QStringList());
    EXPECT_EQ(Row(QStringLiteral("corpAdd")), QStringLiteral("某市某路1号"));
    EXPECT_EQ(form->edtAdd->text(), QStringLiteral("新地址"));  // what was typed stays
    EXPECT_TRUE(form->isEnabled());
}

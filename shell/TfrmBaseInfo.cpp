#include "TfrmBaseInfo.h"

#include "widgets/InputHelpers.h"
#include "TfrmMain.h"
#include "widgets/WindowHelpers.h"
#include "core/Common.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "core/TLog.h"
#include "core/TextCodec.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>

namespace {
// Tab order, columns and typed limits (GBK bytes) of the nine edits.
struct TField {
    QLineEdit* TfrmBaseInfo::*edit;
    const char* name;
    const char* label;
    const char* column;
    int maxBytes;
    const char* emptyMessage;
};

const TField kFields[] = {
    {&TfrmBaseInfo::edtName, "edtName", "企业名称：", "corpName", 50, "企业名称不能为空！"},
    {&TfrmBaseInfo::edtAdd, "edtAdd", "单位地址：", "corpAdd", 100, "企业地址不能为空！"},
    {&TfrmBaseInfo::edtTel, "edtTel", "联系电话：", "CorpTel", 100, "企业电话不能为空！"},
    {&TfrmBaseInfo::edtTaxID, "edtTaxID", "纳税人识别号：", "corpTaxID", 20, "纳税人识别号不能为空！"},
    {&TfrmBaseInfo::edtBank, "edtBank", "开户银行：", "corpBank", 100, "企业开户银行不能为空！"},
    {&TfrmBaseInfo::edtAcount, "edtAcount", "帐号：", "corpAcount", 30, "企业帐号不能为空！"},
    {&TfrmBaseInfo::edtMKMan, "edtMKMan", "开票人姓名：", "OperMan", 100, "开票人姓名不能为空！"},
    {&TfrmBaseInfo::edtManageTaxID, "edtManageTaxID", "主管税务机关代码：", "ManageTaxID", 50, "主管税务机关编码不能为空！"},
    {&TfrmBaseInfo::edtKPD, "edtKPD", "开票点名称：", "kpdName", 100, "开票点名称不能为空！"},
};

QString S(const char* text) { return QString::fromUtf8(text); }
}  // namespace

TfrmBaseInfo::TfrmBaseInfo(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmBaseInfo"));
    setWindowTitle(QStringLiteral("企业基本信息"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetMinimiseOnlyTitleBar(this);
    setFixedSize(600, 400);
    setFont(SongFont(14));

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameShape(QFrame::StyledPanel);
    Panel3->resize(575, 350);

    StaticText1 = new QLabel(QStringLiteral("企业基本信息"), Panel3);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setFont(SongFont(24));
    StaticText1->setAlignment(Qt::AlignCenter);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    int row = 0;
    for (const TField& f : kFields) {
        auto* label = new QLabel(S(f.label), Panel3);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* edit = Named(new QLineEdit(Panel3), f.name);
        LimitTyped(edit, f.maxBytes);
        this->*(f.edit) = edit;
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    cmbFlag = new QComboBox(Panel3);
    cmbFlag->setObjectName(QStringLiteral("cmbFlag"));
    cmbFlag->addItems({InvoicingPointKind::Branch, InvoicingPointKind::Head});
    cmbFlag->setCurrentIndex(-1);
    auto* flagLabel = new QLabel(QStringLiteral("是否总开票点："), Panel3);
    flagLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(flagLabel, row, 0);
    grid->addWidget(cmbFlag, row, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    Panel2 = new QFrame(Panel3);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    btnSave = new QPushButton(QStringLiteral("保存"), Panel2);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    connect(btnSave, &QPushButton::clicked, this, &TfrmBaseInfo::btnSaveClick);
    btnClose = new QPushButton(QStringLiteral("关闭"), Panel2);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &TfrmBaseInfo::btnCloseClick);
    auto* strip = new QHBoxLayout(Panel2);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->addStretch();
    strip->addWidget(btnSave);
    strip->addSpacing(40);
    strip->addWidget(btnClose);
    strip->addStretch();

    auto* layout = new QVBoxLayout(Panel3);
    layout->setContentsMargins(24, 8, 24, 10);
    layout->addWidget(StaticText1);
    layout->addLayout(grid);
    layout->addWidget(Panel2);

    QWidget* previous = nullptr;
    for (const TField& f : kFields) {
        if (previous)
            setTabOrder(previous, this->*(f.edit));
        previous = this->*(f.edit);
    }
    setTabOrder(previous, cmbFlag);
    setTabOrder(cmbFlag, btnSave);
    setTabOrder(btnSave, btnClose);

    FormCreate();
    FormResize();
}

void TfrmBaseInfo::FormCreate() { OpenBaseInfo(); }

void TfrmBaseInfo::OpenBaseInfo()
{
    if (!DataBase)
        return;
    DataBase->Connect();
    bool empty = true;
    try {
        // The row with the lowest id: the one LoadBaseInfo gives the rest of the program.
        QStringList columns;
        for (const TField& f : kFields)
            columns << QString::fromLatin1(f.column);
        QSqlQuery q = DataBase->Run(
            QStringLiteral("select id, %1, flag from baseinfo order by id limit 1").arg(columns.join(QStringLiteral(", "))));
        if (q.next()) {
            empty = false;
            m_id = q.value(0);
            int i = 1;
            for (const TField& f : kFields)
                (this->*(f.edit))->setText(q.value(i++).toString());
            cmbFlag->setCurrentIndex(cmbFlag->findText(q.value(i).toString()));
        }
    } catch (const ETallyraError& e) {
        ShowError(e.Text());
    }
    for (QLineEdit* edit : {edtName, edtTaxID, edtManageTaxID, edtKPD})
        edit->setEnabled(empty);
}

bool TfrmBaseInfo::ValidateBaseInfo()
{
    for (const TField& f : kFields) {
        QLineEdit* edit = this->*(f.edit);
        if (TrimBlanks(edit->text()).isEmpty())
            return RefuseInput(S(f.emptyMessage), edit);
    }
    if (TrimBlanks(cmbFlag->currentText()).isEmpty())
        return RefuseInput(QStringLiteral("是否总开票点不能为空！"), cmbFlag);
    return true;
}

void TfrmBaseInfo::StoreRecord()
{
    TParams p;
    for (const TField& f : kFields)
        p.insert(QString::fromLatin1(f.column), (this->*(f.edit))->text());
    p.insert(QStringLiteral("flag"), cmbFlag->currentText());
    if (m_id.isNull()) {
        QSqlQuery q =
            DataBase->Run(QStringLiteral("insert into baseinfo(corpName, corpAdd, CorpTel, corpTaxID, corpBank, corpAcount, "
                                         "ManageTaxID, OperMan, kpdName, flag) values(:corpName, :corpAdd, :CorpTel, "
                                         ":corpTaxID, :corpBank, :corpAcount, :ManageTaxID, :OperMan, :kpdName, :flag)"),
                          p);
        m_id = q.lastInsertId();  // a second save edits this row
        return;
    }
    p.insert(QStringLiteral("id"), m_id);
    DataBase->Run(QStringLiteral("update baseinfo set corpName=:corpName, corpAdd=:corpAdd, CorpTel=:CorpTel, "
                                 "corpTaxID=:corpTaxID, corpBank=:corpBank, corpAcount=:corpAcount, "
                                 "ManageTaxID=:ManageTaxID, OperMan=:OperMan, kpdName=:kpdName, flag=:flag "
                                 "where id=:id"),
                  p);
}

void TfrmBaseInfo::btnSaveClick()
{
    if (!ValidateBaseInfo())
        return;
    try {
        if (!DataBase)
            throw EDatabaseError(QStringLiteral("no database"));
        StoreRecord();
    } catch (const ETallyraError&) {
        ShowWarning(QStringLiteral("保存基本信息失败！"));
        return;
    }
    LoadBaseInfo(*DataBase, CorpInfo);
    const TBaseInfo& c = CorpInfo;
    WriteLogLine(QStringLiteral("保存基本信息为:") + QStringList{c.corpName, c.corpAdd, c.corpTel, c.corpTaxID, c.corpBank,
                                                                 c.corpAcount, c.ManageTaxID, c.OperMan, c.kpdName}
                                                         .join(u'^'));
    ShowInfo(QStringLiteral("保存基本信息成功！"));
}

void TfrmBaseInfo::btnCloseClick() { close(); }

void TfrmBaseInfo::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmBaseInfo::FormClose()
{
    WriteLogLine(QStringLiteral("关闭企业基本信息"));
    if (DataBase)
        LoadBaseInfo(*DataBase, CorpInfo);
    if (frmMain)
        frmMain->UpdateMenus();
}

void TfrmBaseInfo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmBaseInfo::FormResize() { CentrePanel(this, Panel3); }

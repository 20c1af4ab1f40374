#include "TfrmCJCL.h"

#include "widgets/DataGrid.h"
#include "widgets/WindowHelpers.h"
#include "core/Common.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TLog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QVBoxLayout>

// Each grid keeps the input method the clerk last used in it without any help here: the input
// method framework keeps its state per window.

namespace {
QPushButton* NewButton(const QString& caption, const QString& hint, const char* name, QWidget* parent)
{
    auto* b = Named(new QPushButton(caption, parent), name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QString TextOf(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

void SetColumn(QSqlTableModel* model, TDBGrid* grid, const char* field, const char* title, int width)
{
    const int c = model->fieldIndex(QString::fromLatin1(field));
    if (c < 0)
        return;
    if (!title) {
        grid->setColumnHidden(c, true);
        return;
    }
    model->setHeaderData(c, Qt::Horizontal, QString::fromUtf8(title));
    grid->setColumnWidth(c, width);
}
}  // namespace

TfrmCJCL::TfrmCJCL(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCJCL"));
    setWindowTitle(QStringLiteral("生产厂家维护"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetMinimiseOnlyTitleBar(this);
    setFixedSize(700, 525);
    setFont(SongFont(14));

    m_panel = new QWidget(this);
    m_panel->resize(700, 525);

    PageControl1 = new QTabWidget(m_panel);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);  // tabs as flat buttons
    // The pages are switched with the mouse (or Ctrl+Tab): the focus starts in the grid.
    PageControl1->setFocusPolicy(Qt::NoFocus);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("生成厂家维护"));
    PageControl1->addTab(TabSheet2, QStringLiteral("车辆类型维护"));

    DBGrid1 = new TDBGrid(TabSheet1);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setFont(SongFont(16));
    (new QVBoxLayout(TabSheet1))->addWidget(DBGrid1);
    DBGrid2 = new TDBGrid(TabSheet2);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setFont(SongFont(16));
    (new QVBoxLayout(TabSheet2))->addWidget(DBGrid2);

    adotbSCCJ = new TGridTable(QStringLiteral("SCCJ"), QStringLiteral("id"), DBGrid1, this);
    adotbSCCJ->setObjectName(QStringLiteral("adotbSCCJ"));
    adotbSCCJ->BeforeInsert = [this] { adotbSCCJBeforeInsert(); };
    adotbSCCJ->AfterInsert = [this] { adotbSCCJAfterInsert(); };
    adotbSCCJ->BeforePost = [this] { return adotbSCCJBeforePost(); };
    adotbSCCJ->AfterPost = [this] { adotbSCCJAfterPost(); };
    adotbSCCJ->BeforeDelete = [this] { return adotbSCCJBeforeDelete(); };
    adotbCLLX = new TGridTable(QStringLiteral("CLLX"), QStringLiteral("CJID"), DBGrid2, this);
    adotbCLLX->setObjectName(QStringLiteral("adotbCLLX"));
    adotbCLLX->BeforePost = [this] { return adotbCLLXBeforePost(); };
    adotbCLLX->AfterPost = [this] { adotbCLLXAfterPost(); };
    adotbCLLX->BeforeDelete = [this] { return adotbCLLXBeforeDelete(); };

    Panel1 = new QFrame(m_panel);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    BitBtn9 = NewButton(QStringLiteral("第一条"), QStringLiteral("第一条记录"), "BitBtn9", Panel1);
    BitBtn10 = NewButton(QStringLiteral("上一条"), QStringLiteral("上一条记录"), "BitBtn10", Panel1);
    BitBtn11 = NewButton(QStringLiteral("下一条"), QStringLiteral("下一条记录"), "BitBtn11", Panel1);
    BitBtn12 = NewButton(QStringLiteral("末一条"), QStringLiteral("最后一条记录"), "BitBtn12", Panel1);
    BitBtn13 = NewButton(QStringLiteral("添加"), QStringLiteral("添加记录"), "BitBtn13", Panel1);
    BitBtn14 = NewButton(QStringLiteral("删除"), QStringLiteral("删除记录"), "BitBtn14", Panel1);
    BitBtn15 = NewButton(QStringLiteral("修改"), QStringLiteral("修改记录"), "BitBtn15", Panel1);
    BitBtn16 = NewButton(QStringLiteral("保存"), QStringLiteral("保存记录"), "BitBtn16", Panel1);
    BitBtn1 = NewButton(QStringLiteral("关闭"), QStringLiteral("退出"), "BitBtn1", Panel1);
    connect(BitBtn9, &QPushButton::clicked, this, &TfrmCJCL::BitBtn9Click);
    connect(BitBtn10, &QPushButton::clicked, this, &TfrmCJCL::BitBtn2Click);
    connect(BitBtn11, &QPushButton::clicked, this, &TfrmCJCL::BitBtn3Click);
    connect(BitBtn12, &QPushButton::clicked, this, &TfrmCJCL::BitBtn4Click);
    connect(BitBtn13, &QPushButton::clicked, this, &TfrmCJCL::BitBtn5Click);
    connect(BitBtn14, &QPushButton::clicked, this, &TfrmCJCL::BitBtn6Click);
    connect(BitBtn15, &QPushButton::clicked, this, &TfrmCJCL::BitBtn7Click);
    connect(BitBtn16, &QPushButton::clicked, this, &TfrmCJCL::BitBtn8Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmCJCL::BitBtn1Click);
    auto* strip = new QHBoxLayout(Panel1);
    strip->setContentsMargins(4, 4, 4, 4);
    for (QPushButton* b : {BitBtn9, BitBtn10, BitBtn11, BitBtn12, BitBtn13, BitBtn14, BitBtn15, BitBtn16, BitBtn1}) {
        b->setMinimumWidth(66);
        strip->addWidget(b);
    }

    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(Panel1);

    FormCreate();
}

void TfrmCJCL::FormCreate() { OpenTables(); }

void TfrmCJCL::OpenTables()
{
    try {
        adotbSCCJ->Open();
        adotbCLLX->Open();
    } catch (const ETallyraError& e) {
        ShowError(e.Text());
    }
    QSqlTableModel* models = adotbSCCJ->Model();
    SetColumn(models, DBGrid1, "id", nullptr, 0);
    SetColumn(models, DBGrid1, "cpxh", "厂牌型号", 186);
    SetColumn(models, DBGrid1, "sccj", "生产厂家", 214);
    SetColumn(models, DBGrid1, "cd", "产地", 176);
    QSqlTableModel* types = adotbCLLX->Model();
    SetColumn(types, DBGrid2, "cjid", nullptr, 0);
    SetColumn(types, DBGrid2, "cllx", "车辆类型", 644);
    // Put the cursor on a column that can be seen now that the key columns are hidden.
    for (TGridTable* t : {adotbSCCJ, adotbCLLX})
        if (t->RecordCount() > 0)
            t->First();
}

TGridTable* TfrmCJCL::ActiveTable() const { return PageControl1->currentIndex() != 0 ? adotbCLLX : adotbSCCJ; }

void TfrmCJCL::BitBtn9Click() { ActiveTable()->First(); }
void TfrmCJCL::BitBtn2Click() { ActiveTable()->Prior(); }
void TfrmCJCL::BitBtn3Click() { ActiveTable()->Next(); }
void TfrmCJCL::BitBtn4Click() { ActiveTable()->Last(); }

void TfrmCJCL::BitBtn5Click()
{
    TGridTable* t = ActiveTable();
    t->Insert();
    t->Grid()->setFocus();
}

void TfrmCJCL::BitBtn6Click() { ActiveTable()->Delete(); }

void TfrmCJCL::BitBtn7Click()
{
    TGridTable* t = ActiveTable();
    t->Edit();
    if (t->State() == TGridTable::TState::Edit) {
        t->Grid()->setFocus();
        t->Grid()->edit(t->Grid()->currentIndex());
    }
}

void TfrmCJCL::BitBtn8Click()
{
    TGridTable* t = ActiveTable();
    if (t->State() != TGridTable::TState::Browse)
        t->Post();
}

void TfrmCJCL::BitBtn1Click() { close(); }

void TfrmCJCL::adotbSCCJBeforeInsert()
{
    adotbSCCJ->Last();
    const QVariant sccj = adotbSCCJ->FieldValue(QStringLiteral("sccj"));
    if (adotbSCCJ->RecNo() >= 0 && !sccj.isNull())
        LastSccj = sccj.toString();
    const QVariant cd = adotbSCCJ->FieldValue(QStringLiteral("cd"));
    if (adotbSCCJ->RecNo() >= 0 && !cd.isNull())
        LastCd = cd.toString();
}

void TfrmCJCL::adotbSCCJAfterInsert()
{
    adotbSCCJ->SetFieldValue(QStringLiteral("sccj"), LastSccj);
    adotbSCCJ->SetFieldValue(QStringLiteral("cd"), LastCd);
}

bool TfrmCJCL::adotbSCCJBeforePost()
{
    if (TextOf(adotbSCCJ->FieldValue(QStringLiteral("cpxh"))).isEmpty()) {
        ShowWarning(QStringLiteral("厂牌型号不能为空！！"));
        return false;
    }
    if (TextOf(adotbSCCJ->FieldValue(QStringLiteral("sccj"))).isEmpty()) {
        ShowWarning(QStringLiteral("生产厂家不能为空！！"));
        return false;
    }
    return true;
}

void TfrmCJCL::adotbSCCJAfterPost() { ShowInfo(QStringLiteral("保存数据成功！")); }

bool TfrmCJCL::adotbSCCJBeforeDelete() { return AskYesNo(QStringLiteral("确实要删除此记录吗？")); }

bool TfrmCJCL::adotbCLLXBeforePost()
{
    if (TextOf(adotbCLLX->FieldValue(QStringLiteral("cllx"))).isEmpty()) {
        ShowWarning(QStringLiteral("车辆类型不能为空！！"));
        return false;
    }
    return true;
}

void TfrmCJCL::adotbCLLXAfterPost() { ShowInfo(QStringLiteral("保存数据成功！")); }

bool TfrmCJCL::adotbCLLXBeforeDelete() { return AskYesNo(QStringLiteral("确实要删除此记录吗？")); }

void TfrmCJCL::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmCJCL::FormClose()
{
    // Nothing may stop the window from closing: an error is reported and the close goes on.
    try {
        WriteLogLine(QStringLiteral("关闭生产厂家维护"));
        if (!DataBase)
            return;
        // Into copies first, so that a failed reload leaves the issuing windows the lists they had.
        QStringList types;
        TModelList models;
        LoadCarTypes(*DataBase, types);
        LoadModels(*DataBase, models);
        CarTypeList = types;
        ModelList = models;
        QString text;
        for (const QString& t : CarTypeList)
            text += t + QStringLiteral("\r\n");
        WriteLogLine(QStringLiteral("保存车辆类型:") + text);
    } catch (const ETallyraError& e) {
        ShowError(e.Text());
    }
}

void TfrmCJCL::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    CentrePanel(this, m_panel);
}

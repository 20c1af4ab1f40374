#include "TfrmLYFP.h"

#include "StockReceipt.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TADODB.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "widgets/Guarded.h"
#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QString Trimmed(const QLineEdit* edit) { return TrimBlanks(edit->text()); }

bool IsDigitsOfLength(const QString& text, int length) { return text.size() == length && IsDigits(text); }
}  // namespace

TfrmLYFP::TfrmLYFP(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmLYFP"));
    setWindowTitle(QStringLiteral("领用发票"));
    setAttribute(Qt::WA_DeleteOnClose);

    pnlMain = Named(new QWidget(this), "pnlMain");
    pnlMain->setFixedSize(720, 520);

    edtFPDM = Named(new QLineEdit, "edtFPDM");
    LimitTyped(edtFPDM, 12, QStringLiteral("[0-9]"));
    dtpLYRQ = Named(new TDatePicker, "dtpLYRQ");
    dtpLYRQ->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dtpLYRQ->setCalendarPopup(true);
    edtFPHMQ = Named(new QLineEdit, "edtFPHMQ");
    LimitTyped(edtFPHMQ, 8, QStringLiteral("[0-9]"));
    edtFPHMZ = Named(new QLineEdit, "edtFPHMZ");
    LimitTyped(edtFPHMZ, 8, QStringLiteral("[0-9]"));
    edtLYR = Named(new QLineEdit, "edtLYR");
    LimitTyped(edtLYR, 20);
    edtLYFS = Named(new QLineEdit, "edtLYFS");
    edtLYFS->setEnabled(false);

    cbKC = Named(new QCheckBox(QStringLiteral("录入上期期末库存")), "cbKC");
    edtQZHM = Named(new QLineEdit, "edtQZHM");
    edtQZHM->setToolTip(QStringLiteral("录入上期期末库存起止号码中间用-分开"));
    LimitTyped(edtQZHM, 20);
    lblFS = Named(new QLabel(QStringLiteral("份数")), "lblFS");
    edtFS = Named(new QLineEdit, "edtFS");
    LimitTyped(edtFS, 6, QStringLiteral("[0-9]"));

    auto* fields = new QGridLayout;
    auto label = [](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text);
        l->setBuddy(buddy);
        return l;
    };
    fields->addWidget(label(QStringLiteral("发票代码"), edtFPDM), 0, 0);
    fields->addWidget(edtFPDM, 0, 1);
    fields->addWidget(label(QStringLiteral("领用日期"), dtpLYRQ), 0, 2);
    fields->addWidget(dtpLYRQ, 0, 3);
    fields->addWidget(label(QStringLiteral("发票号码起"), edtFPHMQ), 1, 0);
    fields->addWidget(edtFPHMQ, 1, 1);
    fields->addWidget(label(QStringLiteral("发票号码止"), edtFPHMZ), 1, 2);
    fields->addWidget(edtFPHMZ, 1, 3);
    fields->addWidget(label(QStringLiteral("领用人"), edtLYR), 2, 0);
    fields->addWidget(edtLYR, 2, 1);
    fields->addWidget(label(QStringLiteral("领用份数"), edtLYFS), 2, 2);
    fields->addWidget(edtLYFS, 2, 3);
    fields->addWidget(cbKC, 3, 0);
    fields->addWidget(edtQZHM, 3, 1);
    fields->addWidget(lblFS, 3, 2);
    fields->addWidget(edtFS, 3, 3);
    for (QWidget* w : {static_cast<QWidget*>(cbKC), static_cast<QWidget*>(edtQZHM), static_cast<QWidget*>(lblFS),
                       static_cast<QWidget*>(edtFS)})
        w->setVisible(false);

    btnClear = Named(new QPushButton(QStringLiteral("清除")), "btnClear");
    btnAdd = Named(new QPushButton(QStringLiteral("添加")), "btnAdd");
    btnSave = Named(new QPushButton(QStringLiteral("入库")), "btnSave");
    btnClose = Named(new QPushButton(QStringLiteral("关闭")), "btnClose");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {btnClear, btnAdd, btnSave, btnClose}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();

    sgdKC = Named(new QTableWidget(1, colCount), "sgdKC");
    sgdKC->verticalHeader()->setVisible(false);
    sgdKC->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgdKC->setSelectionMode(QAbstractItemView::ContiguousSelection);
    sgdKC->setSelectionBehavior(QAbstractItemView::SelectItems);
    sgdKC->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sgdKC->setShowGrid(true);

    auto* main = new QVBoxLayout(pnlMain);
    main->addLayout(fields);
    main->addLayout(buttons);
    main->addWidget(sgdKC, 1);

    setTabOrder(edtFPDM, dtpLYRQ);
    setTabOrder(dtpLYRQ, edtFPHMQ);
    setTabOrder(edtFPHMQ, edtFPHMZ);
    setTabOrder(edtFPHMZ, edtLYR);
    setTabOrder(edtLYR, btnClear);
    setTabOrder(btnClear, btnAdd);
    setTabOrder(btnAdd, btnSave);
    setTabOrder(btnSave, btnClose);
    setTabOrder(btnClose, sgdKC);

    connect(edtFPHMQ, &QLineEdit::textChanged, this, [this] { edtLYFSKeyUp(); });
    connect(edtFPHMZ, &QLineEdit::textChanged, this, [this] { edtLYFSKeyUp(); });
    m_enterChain = new TEnterChain(
        {edtFPDM, edtFPHMQ, edtFPHMZ, edtLYR}, [this] { btnAddClick(); }, this);
    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    // Ticking it from code counts as a click, as it does for the clerk.
    connect(cbKC, &QCheckBox::toggled, this, [this] { cbKCClick(); });

    resize(800, 600);
}

void TfrmLYFP::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Prepared once: a window restored in the workspace keeps what the clerk entered.
    GuardedOnFirstShow(m_shown, [this] { FormShow(); });
}

void TfrmLYFP::closeEvent(QCloseEvent* event)
{
    WriteLogLine(QStringLiteral("关闭领用发票"));
    event->accept();
}

void TfrmLYFP::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The panel has a fixed size: in a smaller window its fields stay reachable from the corner.
    CentrePanel(this, pnlMain, TOverhang::KeepCorner);
}

void TfrmLYFP::FormShow() { InitForm(); }

void TfrmLYFP::InitForm()
{
    const QDateTime now = Now();
    PrevMonth = PreviousMonthKey(now);
    static const char* const titles[colCount] = {"发票代码", "发票号码起", "发票号码止", "领用人", "领用时间", "领用份数"};
    static const int widths[colCount] = {120, 100, 100, 100, 160, 50};
    QStringList labels;
    for (const char* t : titles)
        labels << QString::fromUtf8(t);
    sgdKC->setHorizontalHeaderLabels(labels);
    for (int c = 0; c < colCount; ++c)
        sgdKC->setColumnWidth(c, widths[c]);
    btnSave->setEnabled(false);
    dtpLYRQ->setDate(now.date());
    UpdateLastStockControls();
    CentrePanel(this, pnlMain, TOverhang::KeepCorner);
}

void TfrmLYFP::edtLYFSKeyUp()
{
    const QString first = Trimmed(edtFPHMQ);
    const QString last = Trimmed(edtFPHMZ);
    QString count;
    if (!first.isEmpty() && !last.isEmpty()) {
        try {
            count = QString::number(InvoiceCount(first, last));
        } catch (const ETallyraError&) {
            // Not a number: no count to show.
        }
    }
    edtLYFS->setText(count);
}

void TfrmLYFP::cbKCClick() { UpdateLastStockControls(); }

void TfrmLYFP::UpdateLastStockControls()
{
    edtFS->setEnabled(cbKC->isChecked());
    edtQZHM->setEnabled(cbKC->isChecked());
}

bool TfrmLYFP::CheckInput()
{
    const bool lastStock = cbKC->isChecked();
    if (lastStock && Trimmed(edtQZHM).isEmpty())
        return RefuseInput(QStringLiteral("请输入上期库存起止号码！"), edtQZHM);
    if (lastStock && Trimmed(edtFS).isEmpty())
        return RefuseInput(QStringLiteral("请输入上期库存份数！"), edtFS);
    const QString code = Trimmed(edtFPDM);
    if (code.isEmpty())
        return RefuseInput(QStringLiteral("请输入发票代码！"), edtFPDM);
    // The key filter keeps these fields to digits; a text that got in otherwise fails too.
    if (!IsDigitsOfLength(code, 12))
        return RefuseInput(QStringLiteral("发票代码只能是12位！"), edtFPDM);
    const QString first = Trimmed(edtFPHMQ);
    if (first.isEmpty())
        return RefuseInput(QStringLiteral("请输入发票号码起！"), edtFPHMQ);
    if (!IsDigitsOfLength(first, 8))
        return RefuseInput(QStringLiteral("发票号码只能是8位！"), edtFPHMQ);
    const QString last = Trimmed(edtFPHMZ);
    if (last.isEmpty())
        return RefuseInput(QStringLiteral("请输入发票号码止！"), edtFPHMZ);
    if (!IsDigitsOfLength(last, 8))
        return RefuseInput(QStringLiteral("发票号码只能是8位！"), edtFPHMZ);
    if (InvoiceCount(first, last) < 1)
        return RefuseInput(QStringLiteral("发票号码起不能大于发票号码止！"), edtFPHMZ);
    if (Trimmed(edtLYR).isEmpty())
        return RefuseInput(QStringLiteral("领用人不能为空!"), edtLYR);
    return true;
}

bool TfrmLYFP::RangeExists(const QString& Code, const QString& First, const QString& Last)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    return StoredRangeClashes(*DataBase, Code, First, Last);
}

bool TfrmLYFP::GridRangeExists(const QString& code, const QString& first, const QString& last) const
{
    for (int r = 0; r < sgdKC->rowCount(); ++r)
        if (Cell(r, colFPDM) == code && RangeClashes(first, last, Cell(r, colFPHMQ), Cell(r, colFPHMZ)))
            return true;
    return false;
}

void TfrmLYFP::btnAddClick()
{
    Guarded([this] { AddRange(); });
}

void TfrmLYFP::AddRange()
{
    if (!CheckInput())
        return;
    const QString code = Trimmed(edtFPDM);
    const QString first = Trimmed(edtFPHMQ);
    const QString last = Trimmed(edtFPHMZ);
    // One receipt never holds a roll twice: the grid is tested by the rule of the stock.
    if (RangeExists(code, first, last) || GridRangeExists(code, first, last)) {
        ShowWarning(QStringLiteral("录入发票已经存在！"));
        return;
    }
    int row = sgdKC->rowCount() - 1;
    if (!Cell(row, colFPDM).isEmpty()) {
        sgdKC->insertRow(++row);
    }
    btnSave->setEnabled(true);
    btnAdd->setEnabled(false);
    // The copies come from the range itself, never from a count field left stale.
    const QString copies = QString::number(InvoiceCount(first, last));
    edtLYFS->setText(copies);
    SetCell(row, colFPDM, code);
    SetCell(row, colFPHMQ, first);
    SetCell(row, colFPHMZ, last);
    SetCell(row, colLYR, Trimmed(edtLYR));
    SetCell(row, colLYRQ, ReceiptDateTimeText(dtpLYRQ->date()));
    SetCell(row, colLYFS, copies);
}

void TfrmLYFP::btnClearClick()
{
    ClearGrid();
    btnAdd->setEnabled(true);
    btnSave->setEnabled(false);
}

void TfrmLYFP::ClearGrid()
{
    for (QLineEdit* e : {edtFPDM, edtFPHMQ, edtFPHMZ, edtLYR, edtLYFS})
        e->clear();
    sgdKC->clearContents();
    sgdKC->setRowCount(1);
    edtFPDM->setFocus();
}

void TfrmLYFP::btnSaveClick()
{
    const QString question = QStringLiteral("当前要入库的发票是\n发票代码:") + edtFPDM->text() + QStringLiteral("发票号码起止:") +
                             edtFPHMQ->text() + QStringLiteral("--") + edtFPHMZ->text() + QStringLiteral(",是否入库!");
    if (!AskYesNo(question))
        return;
    SaveStock();
}

void TfrmLYFP::btnCloseClick() { close(); }

void TfrmLYFP::SaveStock()
{
    const int rows = sgdKC->rowCount();
    if (rows == 1 && Cell(0, colFPDM).isEmpty()) {
        ShowInfo(QStringLiteral("没有要保存的数据!"));
        return;
    }
    // The row a failure is reported with; before the first insert it is the first row.
    int row = 0;
    try {
        if (!DataBase)
            throw EDatabaseError(QStringLiteral("数据库未连接"));
        DataBase->RunInTransaction([&] {
            if (cbKC->isChecked())
                SaveLastClosingStock();
            for (row = 0; row < rows; ++row) {
                const int copies = StrictToInt(Cell(row, colLYFS));
                QSqlQuery q =
                    DataBase->Run(QStringLiteral("INSERT INTO fpkcxx(\nLYRQ,FPDM,FPHMQ,FPHMZ,KCZT,DQHM,LYR,LYFS,SYFS,kpdName)\n"
                                                 "VALUES(:LYRQ,:FPDM,:FPHMQ,:FPHMZ,:KCZT,:DQHM,:LYR,:LYFS,:SYFS,:kpdName)"),
                                  {{QStringLiteral("LYRQ"), Cell(row, colLYRQ)},
                                   {QStringLiteral("FPDM"), Cell(row, colFPDM)},
                                   {QStringLiteral("FPHMQ"), Cell(row, colFPHMQ)},
                                   {QStringLiteral("FPHMZ"), Cell(row, colFPHMZ)},
                                   {QStringLiteral("KCZT"), RollState::Received},
                                   {QStringLiteral("DQHM"), Cell(row, colFPHMQ)},
                                   {QStringLiteral("LYR"), Cell(row, colLYR)},
                                   {QStringLiteral("LYFS"), copies},
                                   {QStringLiteral("SYFS"), copies},
                                   {QStringLiteral("kpdName"), CorpInfo.kpdName}});
                if (q.numRowsAffected() != 1)
                    throw EDatabaseError(QStringLiteral("insert fpkcxx error!"));
            }
            row = rows - 1;
        });
    } catch (const std::exception& e) {
        if (DataBase)
            DataBase->Query().finish();
        WriteLogLine(QStringLiteral("插入数据库失败，发票号码：") + Cell(row, colFPHMQ) + u'-' + Cell(row, colFPHMZ) +
                     QStringLiteral("原因为:") + QString::fromUtf8(e.what()));
        ShowWarning(QStringLiteral("发票入库失败"));
        return;
    }
    DataBase->Query().finish();
    const QString stored = Cell(rows - 1, colFPHMQ) + u'-' + Cell(rows - 1, colFPHMZ);
    ClearGrid();
    btnSave->setEnabled(true);
    btnAdd->setEnabled(true);
    WriteLogLine(QStringLiteral("发票入库成功,发票号码：") + stored);
    ShowInfo(QStringLiteral("发票入库成功"));
}

void TfrmLYFP::SaveLastClosingStock()
{
    QSqlQuery q = DataBase->Run(QStringLiteral("insert into qmkc(ssrq,fs,qzhm,kpdName) values(:ssrq,:fs,:qzhm,:kpdName)"),
                                {{QStringLiteral("ssrq"), PrevMonth},
                                 {QStringLiteral("fs"), StrictToInt(edtFS->text())},
                                 {QStringLiteral("qzhm"), edtQZHM->text()},
                                 {QStringLiteral("kpdName"), CorpInfo.kpdName}});
    if (q.numRowsAffected() != 1)
        throw EDatabaseError(QStringLiteral("保存上期期末库存失败!"));
}

QString TfrmLYFP::Cell(int row, int column) const
{
    const QTableWidgetItem* item = sgdKC->item(row, column);
    return item ? item->text() : QString();
}

void TfrmLYFP::SetCell(int row, int column, const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    sgdKC->setItem(row, column, item);
}

#include "TframeInput.h"

#include "core/Clock.h"
#include "core/Common.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QString kNoEngine = QStringLiteral("无");
const QString kBuyerHint = QStringLiteral("按购货单位组织机构代码证书或身份证件标明的名称填写");
const QString kImportHint = QStringLiteral("进口车为必录项（录入存盘时校验，车辆识别代码第一位不为L的，为进口车，此项必录）");

int ModelIndex(const QString& cpxh)
{
    for (int i = 0; i < ModelList.size(); ++i)
        if (ModelList.at(i).cpxh == cpxh)
            return i;
    return -1;
}

QLineEdit* NewEdit(QWidget* parent, const char* name, int maxBytes, const QString& hint = {})
{
    auto* e = Named(new QLineEdit(parent), name);
    if (maxBytes > 0)
        LimitTyped(e, maxBytes);
    if (!hint.isEmpty())
        e->setToolTip(hint);
    return e;
}

QLabel* NewText(QWidget* parent, const char* name)
{
    auto* l = Named(new QLabel(parent), name);
    return l;
}

QComboBox* NewCombo(QWidget* parent, const char* name, bool editable)
{
    auto* c = Named(new QComboBox(parent), name);
    c->setEditable(editable);
    // Enter in an editable combo would otherwise add what was typed to the list.
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

// A field of the invoice image: the widget inside a ruled cell, filling it unless aligned. The
// cell is made in the frame, so that its field keeps its place in the frame's tab order.
QFrame* Cell(QWidget* frame, QWidget* content, Qt::Alignment align = {})
{
    auto* cell = new QFrame(frame);
    cell->setObjectName(QStringLiteral("cell"));
    cell->setMinimumHeight(30);
    auto* l = new QHBoxLayout(cell);
    l->setContentsMargins(3, 2, 3, 2);
    l->addWidget(content, 1, align);
    return cell;
}

QFrame* CaptionCell(QWidget* frame, const QString& text)
{
    // Never wrapped: the image is as wide as its captions need, on its first showing as later.
    auto* label = new QLabel(text, frame);
    label->setAlignment(Qt::AlignCenter);
    return Cell(frame, label, Qt::AlignCenter);
}

QVariant Field(const QSqlRecord& rec, const char* name)
{
    const QString n = QString::fromLatin1(name);
    const int i = rec.indexOf(n);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(n));
    return rec.value(i);
}

// A stored number as its plain text: 12345, not 12345.00.
QString NumberText(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? QString::number(d, 'g', 15) : v.toString();
}

// The Null of a stored column shows as empty text.
QString Text(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }
}  // namespace

std::optional<double> ParseAmount(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("\\A[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)\\z"));
    const QString t = TrimBlanks(text);
    if (!re.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);  // QString::toDouble always reads the C locale
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool AmountKeyAccepted(const QString& text, QChar key, bool allowMinus)
{
    if (key == u'\b' || (key >= u'0' && key <= u'9'))
        return true;
    if (key == u'.')
        return !text.contains(u'.');
    if (key == u'-')
        return allowMinus;
    return false;
}

TframeInput::TframeInput(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frameInput1"));
    stYear = NewText(this, "stYear");
    stMonth = NewText(this, "stMonth");
    stDay = NewText(this, "stDay");
    stFPDM = NewText(this, "stFPDM");
    stFPHM = NewText(this, "stFPHM");
    QFont numberFont(QStringLiteral("宋体"));
    numberFont.setPixelSize(15);
    stFPDM->setFont(numberFont);
    stFPHM->setFont(numberFont);
    stSYFS = NewText(this, "stSYFS");
    stSYFS->setStyleSheet(QStringLiteral("color: blue"));

    edtGHDW = NewEdit(this, "edtGHDW", 90, kBuyerHint);
    edtGHDWID = NewEdit(this, "edtGHDWID", 25, kBuyerHint);
    cmbCLLX = NewCombo(this, "cmbCLLX", true);
    cmbCLLX->setToolTip(QStringLiteral("请选择车辆类型"));
    cmbCPXH = NewCombo(this, "cmbCPXH", false);
    edtCD =
        NewEdit(this, "edtCD", 40, QStringLiteral("同上。增加项目“生产企业名称”且只录入不输出，数据长度 20字节（必录)可写简称"));
    edtHGZHM = NewEdit(this, "edtHGZHM", 40,
                       QStringLiteral("国产车为必录项（录入存盘时校验，车辆识别代码第一位为L的，为国产车，此项必录）"));
    edtJKZMHM = NewEdit(this, "edtJKZMHM", 100, kImportHint);
    edtSJDHM = NewEdit(this, "edtSJDHM", 100, kImportHint);
    edtFDJH = NewCombo(this, "edtFDJH", true);
    edtFDJH->addItem(kNoEngine);
    edtFDJH->setCurrentIndex(-1);
    edtCJHM = NewEdit(this, "edtCJHM", 17, QStringLiteral("国产车以“合格证书”、进口车以“进口证明书”标明的车辆识别代码为准"));
    stSL = NewText(this, "stSL");
    stSL->setText(QStringLiteral("壹"));
    edtDJ = NewEdit(this, "edtDJ", 10, QStringLiteral("金额单位为元至角分"));
    edtHTDH = NewEdit(this, "edtHTDH", 16, QStringLiteral("合同单号"));
    edtJWFY1 = NewEdit(this, "edtJWFY1", 20, QStringLiteral("价外费用名称"));
    edtJWFY2 = NewEdit(this, "edtJWFY2", 20, QStringLiteral("价外费用名称"));
    edtJWFY3 = NewEdit(this, "edtJWFY3", 20, QStringLiteral("价外费用名称"));
    edtJWJE1 = NewEdit(this, "edtJWJE1", 10, QStringLiteral("价外费用金额"));
    edtJWJE2 = NewEdit(this, "edtJWJE2", 10, QStringLiteral("价外费用金额"));
    edtJWJE3 = NewEdit(this, "edtJWJE3", 10, QStringLiteral("价外费用金额"));
    stJFJEDX = NewText(this, "stJFJEDX");
    stJFJE = NewText(this, "stJFJE");
    stXHDW = NewText(this, "stXHDW");
    stDZ = NewText(this, "stDZ");
    stDH = NewText(this, "stDH");
    stSH = NewText(this, "stSH");
    stBank = NewText(this, "stBank");
    stZH = NewText(this, "stZH");
    stKPR = NewText(this, "stKPR");
    edtSKR = NewEdit(this, "edtSKR", 10);
    edtYSFPDM = NewEdit(this, "edtYSFPDM", 0);
    edtYSFPHM = NewEdit(this, "edtYSFPHM", 0);
    edtSCCJ = NewEdit(this, "edtSCCJ", 0);
    edtYSFPDM->hide();
    edtYSFPHM->hide();
    edtSCCJ->hide();

    // The frame number is always written in capitals.
    connect(edtCJHM, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text)
            return;
        const int pos = edtCJHM->cursorPosition();
        edtCJHM->setText(upper);
        edtCJHM->setCursorPosition(pos);
    });
    connect(cmbCPXH, &QComboBox::activated, this, [this] { cmbCPXHChange(); });
    connect(edtDJ, &QLineEdit::textChanged, this, &TframeInput::edtDJChange);
    connect(edtJWJE1, &QLineEdit::textChanged, this, &TframeInput::edtJWJE1Change);
    connect(edtJWJE2, &QLineEdit::textChanged, this, &TframeInput::edtJWJE2Change);
    connect(edtJWJE3, &QLineEdit::textChanged, this, &TframeInput::edtJWJE3Change);
    for (QLineEdit* e : {edtDJ, edtJWJE1, edtJWJE2, edtJWJE3})
        e->installEventFilter(this);
    m_amountKeyFilter = [this](QLineEdit* e, QKeyEvent* k) { return ConfirmInput(e, k); };
    m_enterChain = new TEnterChain(EntryControls(), nullptr, this);

    // Room for the texts the program sets, so that the image keeps its size.
    auto reserve = [](QLabel* l, const QString& sample) { l->setMinimumWidth(l->fontMetrics().horizontalAdvance(sample) + 2); };
    reserve(stYear, QStringLiteral("0000"));
    reserve(stMonth, QStringLiteral("00"));
    reserve(stDay, QStringLiteral("00"));
    reserve(stFPDM, QStringLiteral("000000000000"));
    reserve(stFPHM, QStringLiteral("00000000"));
    reserve(stSYFS, QStringLiteral("当前卷剩余份数:000000"));
    reserve(stJFJE, QStringLiteral("-000000000.00"));

    BuildLayout();
    ReserveRoomForLongestValues();
    // Tab walks the fields in their Enter order (the layout's cells took them out of it).
    const QList<QWidget*> entries = EntryControls();
    for (int i = 1; i < entries.size(); ++i)
        setTabOrder(entries[i - 1], entries[i]);
    CalcTotal();
}

QList<QWidget*> TframeInput::EntryControls() const
{
    return {edtGHDW, edtGHDWID, cmbCLLX,  cmbCPXH,  edtCD,    edtHGZHM, edtJKZMHM, edtSJDHM, edtFDJH, edtCJHM,
            edtDJ,   edtHTDH,   edtJWFY1, edtJWJE1, edtJWFY2, edtJWJE2, edtJWFY3,  edtJWJE3, edtSKR};
}

void TframeInput::ReserveRoomForLongestValues()
{
    // A field's length counts GBK bytes: Chinese text takes two a character, numbers and codes
    // (digits and capitals) one.
    const QFontMetricsF metrics(edtGHDW->font());
    const double hanzi = metrics.horizontalAdvance(QStringLiteral("汉"));
    const double code = std::max(metrics.horizontalAdvance(QStringLiteral("0123456789")) / 10,
                                 metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")) / 26);
    const struct {
        QLineEdit* edit;
        int bytes;
        bool chinese;
    } fields[] = {
        {edtGHDW, 90, true},     {edtGHDWID, 25, false}, {edtCD, 40, true},     {edtHGZHM, 40, false},
        {edtJKZMHM, 100, false}, {edtSJDHM, 100, false}, {edtCJHM, 17, false},  {edtDJ, 10, false},
        {edtHTDH, 16, false},    {edtJWFY1, 20, true},   {edtJWFY2, 20, true},  {edtJWFY3, 20, true},
        {edtJWJE1, 10, false},   {edtJWJE2, 10, false},  {edtJWJE3, 10, false}, {edtSKR, 10, true},
    };
    for (const auto& f : fields)
        ReserveTextWidth(f.edit, int(std::ceil(f.chinese ? f.bytes / 2 * hanzi : f.bytes * code)));
}

void TframeInput::BuildLayout()
{
    setStyleSheet(QStringLiteral("QFrame#cell { border: 1px solid #b04a4a; }"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 4, 6, 4);
    outer->setSpacing(2);

    auto* head = new QGridLayout;
    auto* title = new QLabel(QStringLiteral("机 动 车 销 售 统 一 发 票"));
    QFont titleFont(QStringLiteral("楷体_GB2312"));
    titleFont.setPixelSize(20);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    head->addWidget(stSYFS, 0, 0, Qt::AlignLeft);
    head->addWidget(title, 0, 1, Qt::AlignCenter);
    auto* code = new QHBoxLayout;
    code->addWidget(new QLabel(QStringLiteral("发票代码")));
    code->addWidget(stFPDM);
    head->addLayout(code, 0, 2, Qt::AlignRight);
    auto* date = new QHBoxLayout;
    date->addWidget(new QLabel(QStringLiteral("开票日期")));
    date->addWidget(stYear);
    date->addWidget(new QLabel(QStringLiteral("年")));
    date->addWidget(stMonth);
    date->addWidget(new QLabel(QStringLiteral("月")));
    date->addWidget(stDay);
    date->addWidget(new QLabel(QStringLiteral("日")));
    date->addStretch();
    head->addLayout(date, 1, 0);
    auto* number = new QHBoxLayout;
    number->addWidget(new QLabel(QStringLiteral("№")));
    number->addWidget(stFPHM);
    head->addLayout(number, 1, 2, Qt::AlignRight);
    head->setColumnStretch(0, 1);
    head->setColumnStretch(1, 1);
    head->setColumnStretch(2, 1);
    outer->addLayout(head);

    auto* g = new QGridLayout;
    g->setSpacing(0);
    auto put = [g](QWidget* w, int row, int col, int span = 1, int rows = 1) { g->addWidget(w, row, col, rows, span); };
    int r = 0;
    put(CaptionCell(this, QStringLiteral("购货单位(人)")), r, 0, 2);
    put(Cell(this, edtGHDW), r, 2, 5);
    put(CaptionCell(this, QStringLiteral("身份证号码/\n组织机构代码")), r, 7, 2);
    put(Cell(this, edtGHDWID), r, 9, 3);
    ++r;
    put(CaptionCell(this, QStringLiteral("车辆类型")), r, 0, 2);
    put(Cell(this, cmbCLLX), r, 2, 2);
    put(CaptionCell(this, QStringLiteral("厂牌型号")), r, 4);
    put(Cell(this, cmbCPXH), r, 5, 3);
    put(CaptionCell(this, QStringLiteral("产地")), r, 8);
    put(Cell(this, edtCD), r, 9, 3);
    ++r;
    // The certificate numbers run up to a hundred characters: a line each.
    const std::pair<const char*, QLineEdit*> certificates[] = {
        {"合格证号", edtHGZHM}, {"进口证明书号", edtJKZMHM}, {"商检单号", edtSJDHM}};
    for (const auto& [caption, edit] : certificates) {
        put(CaptionCell(this, QString::fromUtf8(caption)), r, 0, 2);
        put(Cell(this, edit), r, 2, 10);
        ++r;
    }
    put(CaptionCell(this, QStringLiteral("发动机号码")), r, 0, 2);
    put(Cell(this, edtFDJH), r, 2, 3);
    put(CaptionCell(this, QStringLiteral("车架号码/车辆识别号码")), r, 5, 2);
    put(Cell(this, edtCJHM), r, 7, 5);
    ++r;
    put(CaptionCell(this, QStringLiteral("数量")), r, 0, 2);
    put(Cell(this, stSL, Qt::AlignCenter), r, 2);
    put(CaptionCell(this, QStringLiteral("单价")), r, 3);
    put(Cell(this, edtDJ), r, 4, 3);
    put(CaptionCell(this, QStringLiteral("合同单号")), r, 7, 2);
    put(Cell(this, edtHTDH), r, 9, 3);
    ++r;
    put(CaptionCell(this, QStringLiteral("价外\n费用")), r, 0, 1, 2);
    put(CaptionCell(this, QStringLiteral("名称")), r, 1);
    put(CaptionCell(this, QStringLiteral("金额")), r + 1, 1);
    QLineEdit* names[] = {edtJWFY1, edtJWFY2, edtJWFY3};
    QLineEdit* amounts[] = {edtJWJE1, edtJWJE2, edtJWJE3};
    for (int i = 0; i < 3; ++i) {
        auto* nameBox = new QWidget(this);
        auto* nl = new QHBoxLayout(nameBox);
        nl->setContentsMargins(0, 0, 0, 0);
        nl->addWidget(names[i], 1);
        nl->addWidget(new QLabel(QStringLiteral("费")));
        const int col = 2 + 3 * i;
        put(Cell(this, nameBox), r, col, i == 2 ? 4 : 3);
        put(Cell(this, amounts[i]), r + 1, col, i == 2 ? 4 : 3);
    }
    r += 2;
    put(CaptionCell(this, QStringLiteral("价费合计金额\n（大写）")), r, 0, 2);
    put(Cell(this, stJFJEDX), r, 2, 6);
    auto* total = new QWidget(this);
    auto* tl = new QHBoxLayout(total);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->addWidget(new QLabel(QStringLiteral("￥")));
    tl->addWidget(stJFJE, 1);
    put(Cell(this, total), r, 8, 4);
    ++r;
    const std::pair<const char*, QLabel*> seller[][2] = {
        {{"销货单位名称", stXHDW}, {"电话", stDH}},
        {{"纳税人识别号", stSH}, {"帐号", stZH}},
        {{"地址", stDZ}, {"开户银行", stBank}},
    };
    for (const auto& line : seller) {
        put(CaptionCell(this, QString::fromUtf8(line[0].first)), r, 0, 2);
        put(Cell(this, line[0].second), r, 2, 5);
        put(CaptionCell(this, QString::fromUtf8(line[1].first)), r, 7, 2);
        put(Cell(this, line[1].second), r, 9, 3);
        ++r;
    }
    put(CaptionCell(this, QStringLiteral("备注")), r, 0, 2);
    put(Cell(this, new QLabel(QStringLiteral("一车一票，机用发票手开无效"))), r, 2, 5);
    put(CaptionCell(this, QStringLiteral("审核单位")), r, 7, 2);
    put(Cell(this, new QLabel(QStringLiteral("（盖章）")), Qt::AlignRight | Qt::AlignBottom), r, 9, 3);
    for (int c = 0; c < 12; ++c)
        g->setColumnStretch(c, 1);
    outer->addLayout(g);

    auto* foot = new QHBoxLayout;
    foot->addWidget(new QLabel(QStringLiteral("开 票 人 ：")));
    foot->addWidget(stKPR, 1);
    foot->addWidget(new QLabel(QStringLiteral("收 款 人：")));
    foot->addWidget(edtSKR, 1);
    foot->addStretch(1);
    foot->addWidget(new QLabel(QStringLiteral("销货单位（章）")));
    outer->addLayout(foot);
}

void TframeInput::ShowDate(const QDate& day)
{
    stYear->setText(day.toString(QStringLiteral("yyyy")));
    stMonth->setText(day.toString(QStringLiteral("MM")));
    stDay->setText(day.toString(QStringLiteral("dd")));
}

void TframeInput::SetEntryReadOnly(bool readOnly)
{
    for (QLineEdit* e :
         {edtGHDW, edtGHDWID, edtCD, edtDJ, edtHTDH, edtJWFY1, edtJWJE1, edtJWFY2, edtJWJE2, edtJWFY3, edtJWJE3, edtSKR})
        e->setReadOnly(readOnly);
    cmbCLLX->setEnabled(!readOnly);
    cmbCPXH->setEnabled(!readOnly);
}

void TframeInput::PrepareInvoice()
{
    ShowDate(Now().date());
    stXHDW->setText(CorpInfo.corpName);
    stDZ->setText(CorpInfo.corpAdd);
    stDH->setText(CorpInfo.corpTel);
    stSH->setText(CorpInfo.corpTaxID);
    stBank->setText(CorpInfo.corpBank);
    stZH->setText(CorpInfo.corpAcount);
    stKPR->setText(CorpInfo.OperMan);

    const QString carType = cmbCLLX->currentText();
    const QString model = cmbCPXH->currentText();
    const QString origin = edtCD->text();
    FillCarTypes();
    FillModels();

    if (FMode == 0) {
        for (QLineEdit* e : {edtGHDW, edtGHDWID, edtHGZHM, edtJKZMHM, edtSJDHM, edtCJHM, edtDJ, edtHTDH, edtJWFY1, edtJWJE1,
                             edtJWFY2, edtJWJE2, edtJWFY3, edtJWJE3, edtSKR})
            e->clear();
        edtFDJH->setCurrentIndex(-1);
        edtFDJH->clearEditText();
        SetEntryReadOnly(false);
    } else if (FMode == 1) {
        if (CarTypeList.contains(carType) && cmbCLLX->count() > 0) {
            cmbCLLX->setCurrentIndex(CarTypeList.indexOf(carType));
        } else {
            // A typed car type survives.
            cmbCLLX->setCurrentIndex(-1);
            cmbCLLX->setEditText(carType);
        }
        if (cmbCPXH->count() > 0) {
            cmbCPXH->setCurrentIndex(ModelIndex(model));
            cmbCPXHChange();
        }
        // The origin is shared by the cars of one sale like the model: an origin typed over
        // the model's stays for the later cars.
        edtCD->setText(origin);
        SetEntryReadOnly(true);
        for (QLineEdit* e : {edtHGZHM, edtJKZMHM, edtSJDHM, edtCJHM})
            e->clear();
        edtFDJH->setCurrentIndex(-1);
        edtFDJH->clearEditText();
        edtHGZHM->setFocus();
    }
}

bool TframeInput::InitInvoice()
{
    PrepareInvoice();
    TCurFPInfo cur;
    QString failure;
    if (GetCurInvoice(cur, &failure)) {
        stFPDM->setText(cur.fpdm);
        stFPHM->setText(cur.dqhm);
        stSYFS->setText(QStringLiteral("当前卷剩余份数:") + QString::number(cur.syfs));
        return true;
    }
    // The number shown would be the one just used: nothing may be issued on it.
    stSYFS->clear();
    stFPDM->clear();
    stFPHM->clear();
    ShowWarning(CurInvoiceErrorText(failure));
    return false;
}

void TframeInput::FillCarTypes()
{
    cmbCLLX->clear();
    cmbCLLX->clearEditText();
    cmbCLLX->addItems(CarTypeList);
    if (!CarTypeList.isEmpty())
        cmbCLLX->setCurrentIndex(0);
}

void TframeInput::FillModels()
{
    cmbCPXH->clear();
    for (const TCPXH& m : ModelList)
        cmbCPXH->addItem(m.cpxh);
    if (!ModelList.isEmpty()) {
        cmbCPXH->setCurrentIndex(0);
        edtSCCJ->setText(ModelList.first().sccj);
        edtCD->setText(ModelList.first().cd);
    }
}

void TframeInput::cmbCPXHChange()
{
    const int i = ModelIndex(cmbCPXH->currentText());
    if (i < 0)
        return;
    edtSCCJ->setText(ModelList.at(i).sccj);
    edtCD->setText(ModelList.at(i).cd);
}

void TframeInput::SetInputEnabled(bool Value)
{
    // Locked read-only rather than disabled: the clerk reads the values in their normal
    // colour and may select and copy them.
    for (QWidget* w : EntryControls()) {
        SetFieldReadOnly(w, !Value);
        if (Value)
            w->setEnabled(true);
    }
}

void TframeInput::CalcTotal()
{
    double total = 0;
    for (const QLineEdit* e : {edtDJ, edtJWJE1, edtJWJE2, edtJWJE3})
        if (const auto v = ParseAmount(e->text()))
            total += *v;
    stJFJE->setText(FormatAmount(total));
    stJFJEDX->setText(QStringLiteral("RMB") + MoneyToChinese(total));
}

bool TframeInput::CheckInput(const QString& Kind)
{
    if (TrimBlanks(edtGHDW->text()).isEmpty())
        return RefuseInput(QStringLiteral("购货单位不能为空！"), edtGHDW);
    if (edtGHDWID->text().isEmpty())
        return RefuseInput(QStringLiteral("身份证号码/组织机构代码不能为空！"), edtGHDWID);
    if (cmbCLLX->currentText().isEmpty())
        return RefuseInput(QStringLiteral("车辆类型不能为空！"), cmbCLLX);
    if (TrimBlanks(cmbCPXH->currentText()).isEmpty())
        return RefuseInput(QStringLiteral("厂牌型号不能为空！"), cmbCPXH);
    if (TrimBlanks(edtCD->text()).isEmpty())
        return RefuseInput(QStringLiteral("产地不能为空！"), edtCD);
    if (TrimBlanks(edtCJHM->text()).isEmpty())
        return RefuseInput(QStringLiteral("车架号码/车辆识别号码不能为空！"), edtCJHM);
    if (TrimBlanks(edtFDJH->currentText()).isEmpty())
        return RefuseInput(QStringLiteral("发动机号不能为空,如没有发动机号请选择无！"), edtFDJH);
    const QString price = TrimBlanks(edtDJ->text());
    if (price.isEmpty())
        return RefuseInput(QStringLiteral("车辆单价不能为空！"), edtDJ);
    const std::optional<double> value = ParseAmount(price);
    if (!value)
        return RefuseInput(QStringLiteral("车辆单价只能是数值！"), edtDJ);
    if (*value == 0)
        return RefuseInput(QStringLiteral("车辆单价不能为零！"), edtDJ);
    // A normal invoice with a negative amount would subtract from the statements.
    if (Kind == InvoiceState::Normal && *value < 0)
        return RefuseInput(QStringLiteral("车辆单价不能为负数！"), edtDJ);
    // A charge that is no number would fail the issue only after the paper number was asked.
    const QLineEdit* names[] = {edtJWFY1, edtJWFY2, edtJWFY3};
    QLineEdit* amounts[] = {edtJWJE1, edtJWJE2, edtJWJE3};
    for (int i = 0; i < 3; ++i) {
        if (TrimBlanks(amounts[i]->text()).isEmpty() || ParseAmount(amounts[i]->text()))
            continue;
        // The charge as the image shows it: its name before the printed "费".
        const QString name = TrimBlanks(names[i]->text());
        const QString charge = name.isEmpty() ? QStringLiteral("价外费用") : name.endsWith(u'费') ? name : name + u'费';
        return RefuseInput(charge + QStringLiteral("只能是数值！"), amounts[i]);
    }
    if (Kind == InvoiceState::Negative && *value > 0)
        edtDJ->setText(u'-' + price);
    if (InvoiceExists(stFPHM->text(), stFPDM->text(), Kind))
        return RefuseInput(QStringLiteral("发票号码已经存在！"), nullptr);
    if (TrimBlanks(edtFDJH->currentText()) != kNoEngine && EngineNoInUse(edtFDJH->currentText(), Kind))
        return RefuseInput(QStringLiteral("发动机号码已经存在！"), edtFDJH);
    if (VinInUse(edtCJHM->text(), Kind))
        return RefuseInput(QStringLiteral("车架号码已经存在！"), edtCJHM);
    return true;
}

namespace {
// Live normal invoices of the car count -1 and live negative ones +1.
bool Clashes(const QString& column, const QString& value, const QString& kind)
{
    const QVariant sum =
        DataBase->Scalar(QStringLiteral("select sum(fpzt-1) from saleDetail where (fpzt='0' or fpzt='2') and %1=:v").arg(column),
                         {{QStringLiteral("v"), TextParam(value)}});
    const qint64 s = sum.isNull() ? 0 : sum.toLongLong();
    if (s < 0)
        return kind == InvoiceState::Normal;
    if (s > 0)
        return kind != InvoiceState::Normal;
    return false;
}

// The condition on SaleDetail rows of a number, of a code when one is given and of a state
// when one is given.
QString SaleRowsWhere(const QString& no, const QString& code, const QString* state, TParams& p)
{
    QString where = QStringLiteral(" from SaleDetail where ");
    p.insert(QStringLiteral("no"), TextParam(no));
    if (state) {
        where += QStringLiteral("fpzt=:state and ");
        p.insert(QStringLiteral("state"), TextParam(*state));
    }
    where += QStringLiteral("fphm=:no");
    if (!code.isEmpty()) {
        where += QStringLiteral(" and fpdm=:code");
        p.insert(QStringLiteral("code"), code);
    }
    return where;
}

// The first of the rows, empty when there is none.
QSqlRecord FirstSaleRow(const QString& no, const QString& code, const QString* state)
{
    TParams p;
    const QString sql = QStringLiteral("select *") + SaleRowsWhere(no, code, state, p);
    return DataBase->FirstRow(sql, p).value_or(QSqlRecord());
}
}  // namespace

bool TframeInput::EngineNoInUse(const QString& EngineNo, const QString& Kind)
{
    return Clashes(QStringLiteral("fdjhm"), EngineNo, Kind);
}

bool TframeInput::VinInUse(const QString& Vin, const QString& Kind) { return Clashes(QStringLiteral("cjhm"), Vin, Kind); }

bool TframeInput::InvoiceExists(const QString& No, const QString& Code, const QString& State)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("no database"));
    m_found = QSqlRecord();
    m_found = FirstSaleRow(No, Code, &State);
    return !m_found.isEmpty();
}

int TframeInput::CountInvoices(const QString& No, const QString& Code)
{
    m_found = QSqlRecord();
    if (!DataBase)
        return -1;
    try {
        TParams p;
        const int n = DataBase->Scalar(QStringLiteral("select count(*)") + SaleRowsWhere(No, Code, nullptr, p), p).toInt();
        m_found = FirstSaleRow(No, Code, nullptr);  // the caller loads the row found
        return n;
    } catch (const ETallyraError&) {
        return -1;
    }
}

bool TframeInput::IsReversed(const QString& No, const QString& Code)
{
    // A reversal stored without the reversed code (typed by hand, or from before the code was
    // kept) cannot tell which invoice of the number it reversed: it counts for all of them.
    QSqlQuery q = DataBase->Run(QStringLiteral("select * from saleDetail where fpzt='2' and ysfphm=:no "
                                               "and (ysfpdm=:code or ysfpdm='' or ysfpdm is null)"),
                                {{QStringLiteral("no"), TextParam(No)}, {QStringLiteral("code"), TextParam(Code)}});
    return q.next();
}

void TframeInput::LoadFromDataSet(const QSqlRecord& DataSet)
{
    const QVariant when = Field(DataSet, "kprq");
    QDateTime t = QDateTime::fromString(when.toString(), QString::fromLatin1(kDateTimeFormat));
    if (!t.isValid())
        t = QDateTime(QDate::fromString(when.toString(), QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    if (when.isNull() || !t.isValid())
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(when.toString()));
    ShowDate(t.date());
    const QVariant code = Field(DataSet, "fpdm");
    const QVariant number = Field(DataSet, "fphm");
    if (code.isNull() || number.isNull())
        throw EConvertError(QStringLiteral("invoice code or number is Null"));
    stFPDM->setText(code.toString());
    stFPHM->setText(number.toString());

    edtGHDW->setText(Text(Field(DataSet, "ghdw")));
    edtGHDWID->setText(Text(Field(DataSet, "ghdwID")));
    const QString carType = Text(Field(DataSet, "cllx"));
    const int typeAt = cmbCLLX->findText(carType, Qt::MatchExactly);
    cmbCLLX->setCurrentIndex(carType.isEmpty() ? -1 : typeAt);
    if (typeAt < 0)
        cmbCLLX->setEditText(carType);
    // A model since removed from the list still shows as stored, so the invoice can be reversed.
    const QString model = Text(Field(DataSet, "cpxh"));
    int modelAt = model.isEmpty() ? -1 : cmbCPXH->findText(model, Qt::MatchExactly);
    if (modelAt < 0 && !model.isEmpty()) {
        cmbCPXH->addItem(model);
        modelAt = cmbCPXH->count() - 1;
    }
    cmbCPXH->setCurrentIndex(modelAt);
    edtCD->setText(Text(Field(DataSet, "cd")));
    edtHGZHM->setText(Text(Field(DataSet, "hgzhm")));
    edtJKZMHM->setText(Text(Field(DataSet, "jkzmhm")));
    edtSJDHM->setText(Text(Field(DataSet, "sjdhm")));
    const QVariant engine = Field(DataSet, "fdjhm");
    edtFDJH->setEditText(engine.isNull() ? kNoEngine : engine.toString());
    edtCJHM->setText(Text(Field(DataSet, "cjhm")));
    stSL->setText(Text(Field(DataSet, "sl")));
    const QVariant price = Field(DataSet, "dj");
    edtDJ->setText(price.isNull() ? QString() : NumberText(price));
    edtHTDH->setText(Text(Field(DataSet, "htdh")));
    edtJWFY1->setText(Text(Field(DataSet, "jwfy1")));
    edtJWFY2->setText(Text(Field(DataSet, "jwfy2")));
    edtJWFY3->setText(Text(Field(DataSet, "jwfy3")));
    const char* amounts[] = {"jwje1", "jwje2", "jwje3"};
    QLineEdit* amountEdits[] = {edtJWJE1, edtJWJE2, edtJWJE3};
    for (int i = 0; i < 3; ++i) {
        const QVariant v = Field(DataSet, amounts[i]);
        amountEdits[i]->setText(v.isNull() ? QString() : NumberText(v));
    }
    stJFJEDX->setText(Text(Field(DataSet, "jwhjdx")));
    const QVariant total = Field(DataSet, "jwjehj");
    stJFJE->setText(total.isNull() ? QString() : NumberText(total));
    stXHDW->setText(Text(Field(DataSet, "saleName")));
    stDZ->setText(Text(Field(DataSet, "saleAdd")));
    stDH->setText(Text(Field(DataSet, "saleTel")));
    stSH->setText(Text(Field(DataSet, "saleTaxID")));
    stBank->setText(Text(Field(DataSet, "saleBank")));
    stZH->setText(Text(Field(DataSet, "saleAcount")));
    stKPR->setText(Text(Field(DataSet, "saleMan")));
    edtSKR->setText(Text(Field(DataSet, "skr")));
    edtSCCJ->setText(Text(Field(DataSet, "sccj")));
}

namespace {
const QString kInsertSaleDetail = QStringLiteral(
    "insert into SaleDetail(kprq,fpdm,fphm,ghdw,ghdwID,cllx,cpxh,"
    "cd,hgzhm,jkzmhm,sjdhm,fdjhm,cjhm,sl,dj,htdh,jwfy1,jwje1,"
    "jwfy2,jwje2,jwfy3,jwje3,jwhjdx,jwjehj,saleName,saleAdd,saleTel,saleTaxID,"
    "saleBank,saleAcount,saleMan,skr,flag,fpzt,ysfpdm,ysfphm,sccj,kpdName)"
    "Values(:kprq,:fpdm,:fphm,:ghdw,:ghdwID,:cllx,:cpxh,:cd,:hgzhm,:jkzmhm,"
    ":sjdhm,:fdjhm,:cjhm,:sl,:dj,:htdh,:jwfy1,:jwje1,:jwfy2,:jwje2,:jwfy3,:jwje3,"
    ":jwhjdx,:jwjehj,:saleName,:saleAdd,:saleTel,:saleTaxID,"
    ":saleBank,:saleAcount,:saleMan,:skr,:flag,:fpzt,:ysfpdm,:ysfphm,:sccj,:kpdName)");
}  // namespace

int CountIssued(const QString& code, const QString& number) { return TIssuedCounter().Count(code, number); }

TIssuedCounter::TIssuedCounter()
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    m_query = QSqlQuery(DataBase->Connection());
    m_query.setForwardOnly(true);
    if (!m_query.prepare(QStringLiteral("select count(*) from SaleDetail where fpdm =:code and fphm=:no")))
        throw EDatabaseError(m_query.lastError().text());
}

int TIssuedCounter::Count(const QString& code, const QString& number)
{
    m_query.bindValue(QStringLiteral(":code"), code);
    m_query.bindValue(QStringLiteral(":no"), number);
    if (!m_query.exec() || !m_query.next())
        throw EDatabaseError(m_query.lastError().text());
    const int n = m_query.value(0).toInt();
    m_query.finish();  // no read left open on the connection
    return n;
}

void StoreIssuedInvoice(const TParams& row)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("no database"));
    QSqlQuery& q = DataBase->Query();
    q.finish();
    if (!DataBase->Execute(q, kInsertSaleDetail, row))
        throw EDatabaseError(DataBase->LastErrorText());
    q.finish();
    // A number stored without its roll moving on would be offered again for ever.
    const int moved =
        AdvanceInvoiceNo(row.value(QStringLiteral("fphm")).toString(), row.value(QStringLiteral("fpdm")).toString());
    if (moved != 1)
        throw EDatabaseError(QStringLiteral("发票%1-%2的库存未能更新（%3卷）")
                                 .arg(row.value(QStringLiteral("fpdm")).toString(), row.value(QStringLiteral("fphm")).toString())
                                 .arg(moved));
}

TParams TframeInput::SaleRow(const QString& Kind, const QDateTime& at) const
{
    auto amount = [](const QString& text, const char* what) {
        const std::optional<double> v = ParseAmount(text);
        if (!v)
            throw EConvertError(
                QStringLiteral("'%1' is not a valid floating point value (%2)").arg(text, QString::fromLatin1(what)));
        return *v;
    };
    auto charge = [&](const QLineEdit* e, const char* what) {
        return e->text().isEmpty() ? QVariant(0) : QVariant(amount(e->text(), what));
    };
    const QString engine = edtFDJH->currentText();
    return {
        {QStringLiteral("kprq"), DateTimeText(at)},
        {QStringLiteral("fpdm"), TextParam(stFPDM->text())},
        {QStringLiteral("fphm"), TextParam(stFPHM->text())},
        {QStringLiteral("ghdw"), TextParam(edtGHDW->text())},
        {QStringLiteral("ghdwID"), TextParam(edtGHDWID->text())},
        {QStringLiteral("cllx"), TextParam(cmbCLLX->currentText())},
        {QStringLiteral("cpxh"), TextParam(cmbCPXH->currentText())},
        {QStringLiteral("cd"), TextParam(edtCD->text())},
        {QStringLiteral("hgzhm"), TextParam(edtHGZHM->text())},
        {QStringLiteral("jkzmhm"), TextParam(edtJKZMHM->text())},
        {QStringLiteral("sjdhm"), TextParam(edtSJDHM->text())},
        {QStringLiteral("fdjhm"), TrimBlanks(engine) == kNoEngine ? NullText() : QVariant(TextParam(engine))},
        {QStringLiteral("cjhm"), TextParam(edtCJHM->text())},
        {QStringLiteral("sl"), TextParam(stSL->text())},
        {QStringLiteral("dj"), amount(edtDJ->text(), "dj")},
        {QStringLiteral("htdh"), TextParam(edtHTDH->text())},
        {QStringLiteral("jwfy1"), TextParam(edtJWFY1->text())},
        {QStringLiteral("jwje1"), charge(edtJWJE1, "jwje1")},
        {QStringLiteral("jwfy2"), TextParam(edtJWFY2->text())},
        {QStringLiteral("jwje2"), charge(edtJWJE2, "jwje2")},
        {QStringLiteral("jwfy3"), TextParam(edtJWFY3->text())},
        {QStringLiteral("jwje3"), charge(edtJWJE3, "jwje3")},
        {QStringLiteral("jwhjdx"), TextParam(stJFJEDX->text())},
        {QStringLiteral("jwjehj"), amount(stJFJE->text(), "jwjehj")},
        {QStringLiteral("saleName"), TextParam(stXHDW->text())},
        {QStringLiteral("saleAdd"), TextParam(stDZ->text())},
        {QStringLiteral("saleTel"), TextParam(stDH->text())},
        {QStringLiteral("saleTaxID"), TextParam(CorpInfo.corpTaxID)},
        {QStringLiteral("saleBank"), TextParam(stBank->text())},
        {QStringLiteral("saleAcount"), TextParam(stZH->text())},
        {QStringLiteral("saleMan"), TextParam(stKPR->text())},
        {QStringLiteral("skr"), TextParam(edtSKR->text())},
        {QStringLiteral("flag"), QStringLiteral("0")},
        {QStringLiteral("fpzt"), TextParam(Kind)},
        {QStringLiteral("ysfpdm"), TextParam(edtYSFPDM->text())},
        {QStringLiteral("ysfphm"), TextParam(edtYSFPHM->text())},
        {QStringLiteral("sccj"), TextParam(edtSCCJ->text())},
        {QStringLiteral("kpdName"), TextParam(CorpInfo.kpdName)},
    };
}

void TframeInput::btnAddClick() { InitInvoice(); }

bool TframeInput::ConfirmInput(QLineEdit* edit, QKeyEvent* key)
{
    return !AmountKeyAccepted(edit->text(), key->text().at(0), false);
}

void TframeInput::SetAmountKeyFilter(std::function<bool(QLineEdit*, QKeyEvent*)> filter)
{
    m_amountKeyFilter = std::move(filter);
}

void TframeInput::ReformatAmount(QLineEdit* edit)
{
    if (const auto v = ParseAmount(edit->text()))
        edit->setText(TrimBlanks(FormatAmount(*v)));
}

void TframeInput::edtDJChange() { CalcTotal(); }
void TframeInput::edtJWJE1Change() { CalcTotal(); }
void TframeInput::edtJWJE2Change() { CalcTotal(); }
void TframeInput::edtJWJE3Change() { CalcTotal(); }

void TframeInput::edtDJExit() { ReformatAmount(edtDJ); }
void TframeInput::edtJWJE1Exit() { ReformatAmount(edtJWJE1); }
void TframeInput::edtJWJE2Exit() { ReformatAmount(edtJWJE2); }
void TframeInput::edtJWJE3Exit() { ReformatAmount(edtJWJE3); }

bool TframeInput::IsAmountEdit(QObject* o) const { return o == edtDJ || o == edtJWJE1 || o == edtJWJE2 || o == edtJWJE3; }

bool TframeInput::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsAmountEdit(watched))
        return QWidget::eventFilter(watched, event);
    auto* edit = static_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Only typed characters are filtered: moving, deleting and shortcuts pass.
        const QString text = key->text();
        const bool typed = !text.isEmpty() && (text.at(0) >= u' ' || text.at(0) == u'\b') &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (typed && m_amountKeyFilter && m_amountKeyFilter(edit, key))
            return true;
    } else if (event->type() == QEvent::FocusOut && !edit->isReadOnly()) {
        // A locked amount stays as loaded (-12345): only what the clerk may type is tidied.
        if (edit == edtDJ)
            edtDJExit();
        else if (edit == edtJWJE1)
            edtJWJE1Exit();
        else if (edit == edtJWJE2)
            edtJWJE2Exit();
        else
            edtJWJE3Exit();
    }
    return QWidget::eventFilter(watched, event);
}

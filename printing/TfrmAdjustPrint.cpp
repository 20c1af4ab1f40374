#include "TfrmAdjustPrint.h"

#include "PrintInvoice.h"
#include "TPrintTemplate.h"

#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>
#include <limits>

namespace {
// A whole decimal number with an optional leading "-", within the range of an int.
bool ParseOffset(const QString& text, int& value)
{
    const QString digits = text.startsWith(u'-') ? text.mid(1) : text;
    if (!IsDigits(digits))
        return false;
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(n);
    return true;
}
}  // namespace

TOffsetCheck CheckOffsets(const QString& offX, const QString& offY, int pageWidth, int pageHeight)
{
    TOffsetCheck check;
    if (!ParseOffset(offX, check.offX))
        return {QStringLiteral("横向偏移只能是数值！"), 0};
    if (!ParseOffset(offY, check.offY))
        return {QStringLiteral("纵向偏移只能是数值！"), 1};
    // In 64 bits: the absolute value of the smallest int does not fit in an int.
    if (std::llabs(static_cast<long long>(check.offX)) > pageWidth)
        return {QStringLiteral("横向偏移绝对值不能大于纸张宽度！"), 0};
    if (std::llabs(static_cast<long long>(check.offY)) > pageHeight)
        return {QStringLiteral("纵向偏移绝对值不能大于纸张高度！"), 1};
    return check;
}

TfrmAdjustPrint::TfrmAdjustPrint(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmAdjustPrint"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("打印调试"));
    SetMinimiseOnlyTitleBar(this);
    setFixedSize(370, 240);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedSize(370, 240);

    Memo1 = new QPlainTextEdit(Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, 0, 370, 100);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    memoPalette.setColor(QPalette::Text, Qt::red);
    Memo1->setPalette(memoPalette);
    Memo1->setPlainText(
        QStringLiteral("                                调整说明\n"
                       "    1、调整单位为毫米\n"
                       "    2、横向如是正数则向右调整，如是负数则向左调整。\n"
                       "    3、纵向如是正数则向下调整，如是负数则向上调整。"));

    QFont bold = font();
    bold.setBold(true);
    StaticText1 = new QLabel(QStringLiteral("横向偏移"), Panel1);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setFont(bold);
    StaticText1->setGeometry(40, 120, 70, 22);
    edtOffX = new QLineEdit(Panel1);
    edtOffX->setObjectName(QStringLiteral("edtOffX"));
    edtOffX->setGeometry(115, 120, 80, 22);
    StaticText2 = new QLabel(QStringLiteral("纵向偏移"), Panel1);
    StaticText2->setObjectName(QStringLiteral("StaticText2"));
    StaticText2->setFont(bold);
    StaticText2->setGeometry(40, 152, 70, 22);
    edtOffY = new QLineEdit(Panel1);
    edtOffY->setObjectName(QStringLiteral("edtOffY"));
    edtOffY->setGeometry(115, 152, 80, 22);
    btnPrtTest = new QPushButton(QStringLiteral("测试打印"), Panel1);
    btnPrtTest->setObjectName(QStringLiteral("btnPrtTest"));
    btnPrtTest->setGeometry(230, 134, 90, 28);
    btnOK = new QPushButton(QStringLiteral("保存设置"), Panel1);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(85, 196, 90, 28);
    btnClose = new QPushButton(QStringLiteral("取消"), Panel1);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(195, 196, 90, 28);

    setTabOrder(Memo1, btnOK);
    setTabOrder(btnOK, btnClose);
    setTabOrder(btnClose, edtOffX);
    setTabOrder(edtOffX, edtOffY);
    setTabOrder(edtOffY, btnPrtTest);

    edtOffX->installEventFilter(this);
    edtOffY->installEventFilter(this);
    connect(btnOK, &QPushButton::clicked, this, [this] { Guarded([this] { btnOKClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { Guarded([this] { btnCloseClick(); }); });
    connect(btnPrtTest, &QPushButton::clicked, this, [this] { Guarded([this] { btnPrtTestClick(); }); });
}

void TfrmAdjustPrint::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Once per opening: a window restored in the workspace keeps the offsets typed.
    GuardedOnFirstShow(m_shown, [this] { FormShow(); });
}

void TfrmAdjustPrint::FormShow()
{
    edtOffX->setText(QString::number(PrtOffX));
    edtOffY->setText(QString::number(PrtOffY));
    // The explanation heads the tab order but takes no input: the clerk starts in the offsets.
    edtOffX->setFocus();
}

void TfrmAdjustPrint::closeEvent(QCloseEvent* event)
{
    Guarded([] { WriteLogLine(QStringLiteral("关闭打印设置窗口")); });
    event->accept();
}

void TfrmAdjustPrint::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    CentrePanel(this, Panel1);
}

bool TfrmAdjustPrint::ConfirmInput(QLineEdit* edit, const QString& typed) const
{
    const QString separator = QLocale().decimalPoint();
    for (const QChar c : typed) {
        if (c == u'\b' || (c >= u'0' && c <= u'9') || c == u'-')
            continue;
        if (QString(c) == separator && !edit->text().contains(separator))
            continue;
        return false;
    }
    return true;
}

bool TfrmAdjustPrint::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == edtOffX || watched == edtOffY)) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        // Only typed characters are filtered; moving, deleting and shortcuts pass.
        const bool printable = !typed.isEmpty() && (typed.at(0).isPrint() || typed.at(0) == u'\b');
        if (printable && !ConfirmInput(static_cast<QLineEdit*>(watched), typed))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmAdjustPrint::ValidateOffsets()
{
    const int pageWidth = PrintTpl ? PrintTpl->PageWidth : 0;
    const int pageHeight = PrintTpl ? PrintTpl->PageHeight : 0;
    const TOffsetCheck check = CheckOffsets(edtOffX->text(), edtOffY->text(), pageWidth, pageHeight);
    if (check.Ok())
        return true;
    ShowWarning(check.message);
    QLineEdit* edit = check.field == 0 ? edtOffX : edtOffY;
    edit->clear();
    edit->setFocus();
    return false;
}

bool TfrmAdjustPrint::SaveOffsets()
{
    const TOffsetCheck check =
        CheckOffsets(edtOffX->text(), edtOffY->text(), std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
    if (!check.Ok() || !WriteIniValues(QStringLiteral("Print"),
                                       {{QStringLiteral("prtOffX"), check.offX}, {QStringLiteral("prtOffY"), check.offY}})) {
        // The offsets in use stay: the next start would not find the new ones.
        WriteLogLine(QStringLiteral("保存设置失败！"));
        ShowError(QStringLiteral("保存设置失败！"));
        return false;
    }
    PrtOffX = check.offX;
    PrtOffY = check.offY;
    WriteLogLine(QStringLiteral("调整横向偏移量为:") + edtOffX->text() + QStringLiteral(",纵向偏移量为:") + edtOffY->text());
    ShowInfo(QStringLiteral("保存设置成功！"));
    return true;
}

void TfrmAdjustPrint::btnOKClick()
{
    if (ValidateOffsets() && SaveOffsets())
        close();
}

void TfrmAdjustPrint::btnCloseClick() { close(); }

void TfrmAdjustPrint::btnPrtTestClick()
{
    if (!ValidateOffsets())
        return;
    const TOffsetCheck check =
        CheckOffsets(edtOffX->text(), edtOffY->text(), std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
    static const TPrintTemplate kEmpty;
    QString error;
    if (!PrintTestPage(PrintTpl ? *PrintTpl : kEmpty, check.offX, check.offY, &error)) {
        WriteLogLine(QStringLiteral("测试打印失败：") + error);
        ShowError(QStringLiteral("打印失败！\n") + error);
        return;
    }
    if (AskYesNo(QStringLiteral("打印是否正常,如正常则保存设置??")))
        btnOKClick();
}

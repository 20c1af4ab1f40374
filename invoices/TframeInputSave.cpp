// The issuing transaction of the entry frame: the half that needs the printer.
#include "TframeInput.h"

#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "printing/PrintInvoice.h"
#include "printing/TPrintTemplate.h"

#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <exception>

namespace {

// An empty field prints as empty text, never as Null (Null is "not printed").
QString Text(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }

QString ErrorText(const std::exception& e)
{
    const QString text = QString::fromUtf8(e.what());
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}
}  // namespace

void TframeInput::FillPrintValues(TPrintTemplate& Tpl)
{
    Tpl.ClearValues();
    const QString engine = edtFDJH->currentText();
    const QHash<QString, QVariant> values{
        {QStringLiteral("prtYear"), Text(stYear->text())},
        {QStringLiteral("prtMonth"), Text(stMonth->text())},
        {QStringLiteral("prtDay"), Text(stDay->text())},
        {QStringLiteral("ghdw"), Text(edtGHDW->text())},
        {QStringLiteral("ghdwID"), Text(edtGHDWID->text())},
        {QStringLiteral("cllx"), Text(cmbCLLX->currentText())},
        {QStringLiteral("cpxh"), Text(cmbCPXH->currentText())},
        {QStringLiteral("cd"), Text(edtCD->text())},
        {QStringLiteral("hgzhm"), Text(edtHGZHM->text())},
        {QStringLiteral("jkzmhm"), Text(edtJKZMHM->text())},
        {QStringLiteral("sjdhm"), Text(edtSJDHM->text())},
        {QStringLiteral("fdjhm"), TrimBlanks(engine) == QStringLiteral("无") ? QVariant() : QVariant(Text(engine))},
        {QStringLiteral("cjhm"), Text(edtCJHM->text())},
        {QStringLiteral("dj"), Text(edtDJ->text())},
        {QStringLiteral("htdh"), Text(edtHTDH->text())},
        {QStringLiteral("jwfy1"), Text(edtJWFY1->text())},
        {QStringLiteral("jwje1"), Text(edtJWJE1->text())},
        {QStringLiteral("jwfy2"), Text(edtJWFY2->text())},
        {QStringLiteral("jwje2"), Text(edtJWJE2->text())},
        {QStringLiteral("jwfy3"), Text(edtJWFY3->text())},
        {QStringLiteral("jwje3"), Text(edtJWJE3->text())},
        {QStringLiteral("jwhjdx"), Text(stJFJEDX->text())},
        {QStringLiteral("jwjehj"), Text(stJFJE->text())},
        {QStringLiteral("saleName"), Text(stXHDW->text())},
        {QStringLiteral("saleAdd"), Text(stDZ->text())},
        {QStringLiteral("saleTel"), Text(stDH->text())},
        {QStringLiteral("saleTaxID"), Text(stSH->text())},
        {QStringLiteral("saleBank"), Text(stBank->text())},
        {QStringLiteral("saleAcount"), Text(stZH->text())},
        {QStringLiteral("saleMan"), Text(stKPR->text())},
        {QStringLiteral("skr"), Text(edtSKR->text())},
        {QStringLiteral("ManageTaxID"), Text(CorpInfo.ManageTaxID)},
    };
    for (int i = 0; i < Tpl.Count(); ++i) {
        TPrintDateItem& item = Tpl.GetItem(i);
        const auto it = values.constFind(item.ItemName);
        if (it != values.cend())
            item.Value = it.value();
    }
}

bool TframeInput::SaveAndPrint(const QString& Kind)
{
    const QString code = stFPDM->text();
    const QString number = stFPHM->text();
    // Printing nothing, or on a number that is not one, would still use up the invoice.
    if (!PrintTpl || PrintTpl->Count() == 0) {
        WriteLogLine(QStringLiteral("开票失败：没有可用的打印模板"));
        ShowError(QStringLiteral("开票失败！"));
        return false;
    }
    if (code.size() != 12 || !IsDigits(code) || number.size() != 8 || !IsDigits(number)) {
        WriteLogLine(QStringLiteral("开票失败：发票代码“%1”或发票号码“%2”不正确").arg(code, number));
        ShowError(QStringLiteral("开票失败！"));
        return false;
    }
    // Offsets or template values out of range would use up the number with the text off the sheet.
    if (const QString range = PrintRangeError(*PrintTpl, PrtOffX, PrtOffY); !range.isEmpty()) {
        WriteLogLine(QStringLiteral("开票失败：") + range);
        ShowError(QStringLiteral("开票失败！\n") + range);
        return false;
    }
    QPoint page;
    try {
        page = GetPrinterPageSize();
    } catch (const std::exception& e) {
        WriteLogLine(QStringLiteral("开票失败：") + ErrorText(e));
        ShowError(QStringLiteral("开票失败！"));
        return false;
    }

    QString typed;
    if (!InputBoxEx(QStringLiteral("提示"), QStringLiteral("请输入要打印的纸质发票号码"), typed, 8))
        return false;
    if (typed != number) {
        ShowWarning(QStringLiteral("电子发票与纸质发票号码不一致，请检查！"));
        return false;
    }

    bool printed = false;
    try {
        if (CountIssued(code, number) > 0) {
            ShowWarning(QStringLiteral("此发票已经存在!"));
            return false;
        }
        DataBase->RunInTransaction(
            [&] {
                // One moment for the row and the paper: both carry the same date.
                const QDateTime at = Now();
                ShowDate(at.date());
                StoreIssuedInvoice(SaleRow(Kind, at));
                FillPrintValues(*PrintTpl);
                Dialogs().MessageBox(TMsgKind::Confirmation, CaptionOf(TMsgKind::Confirmation),
                                     QStringLiteral("当前要打印的发票号码是：") + number + u'\n' +
                                         QStringLiteral("请将此发票装在打印机上，单击确定进行打印！！！"),
                                     mbOK);
                WriteLogLine(QStringLiteral("打印机的可打印区域为：%1,%2").arg(page.x()).arg(page.y()));
                QString why;
                if (!PrintInvoice(*PrintTpl, PrtOffX, PrtOffY, &why))
                    throw EInOutError(QStringLiteral("打印失败：") + why);
                printed = true;
            },
            [](const std::exception& r) { WriteLogLine(QStringLiteral("回滚失败：") + ErrorText(r)); });
        return true;
    } catch (const std::exception& e) {
        if (printed)
            // The sheet is out of the printer but nothing was stored: it has to be registered.
            WriteLogLine(QStringLiteral("开票失败：发票代码%1号码%2已打印但未能保存，请将该纸质发票登记作废（%3）")
                             .arg(code, number, ErrorText(e)));
        else
            WriteLogLine(QStringLiteral("开票失败：") + ErrorText(e));
        ShowError(QStringLiteral("开票失败！"));
        return false;
    }
}

void TframeInput::btnPrintClick()
{
    if (CheckInput(InvoiceState::Normal))
        SaveAndPrint(InvoiceState::Normal);
}

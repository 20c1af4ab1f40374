#include "PdfPrint.h"

#include "printing/PrintDevice.h"
#include "printing/TPrintTemplate.h"

#include <stdexcept>

TPdfPrint::TPdfPrint() : m_file(m_dir.filePath(QStringLiteral("invoice.pdf"))) { qputenv(kPrintPdfVariable, m_file.toUtf8()); }

TPdfPrint::~TPdfPrint() { qunsetenv(kPrintPdfVariable); }

TPrintTemplate DefaultTemplate()
{
    TPrintTemplate t;
    if (!t.LoadFromXML(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml")))
        throw std::runtime_error("cannot read resources/PrintTemplate.xml");
    return t;
}

void FillInvoice(TPrintTemplate& tpl)
{
    const std::pair<const char*, const char*> values[] = {
        {"prtYear", "2026"},
        {"prtMonth", "03"},
        {"prtDay", "05"},
        {"ghdw", "广州某某贸易有限公司"},
        {"ghdwID", "440106199001011234"},
        {"cllx", "轿车"},
        {"cpxh", "某牌SGM7150"},
        {"cd", "上海"},
        {"hgzhm", "WAB0123456789"},
        {"jkzmhm", "JK2026001"},
        {"sjdhm", "SJ2026002"},
        {"cjhm", "LSGPC52U6AF123456"},
        {"dj", "123456.00"},
        {"htdh", "HT-2026-018"},
        {"jwfy1", "上牌费"},
        {"jwje1", "500.00"},
        {"jwfy2", "保险费"},
        {"jwje2", "3200.00"},
        {"jwfy3", ""},
        {"jwje3", ""},
        {"jwhjdx", "RMB壹拾贰万柒仟壹佰伍拾陆元整"},
        {"jwjehj", "127156.00"},
        {"saleName", "某汽车销售服务有限公司"},
        {"saleAdd", "广州市天河区某路1号"},
        {"saleTel", "020-12345678"},
        {"saleTaxID", "440100000000001"},
        {"saleBank", "工商银行天河支行"},
        {"saleAcount", "3602000000000000000"},
        {"saleMan", "李四"},
        {"skr", "王五"},
        {"ManageTaxID", "14401060000"},
    };
    tpl.ClearValues();
    for (const auto& [name, value] : values) {
        const int i = tpl.IndexOfName(QString::fromUtf8(name));
        if (i >= 0)
            tpl.GetItem(i).Value = QString::fromUtf8(value);
    }
}

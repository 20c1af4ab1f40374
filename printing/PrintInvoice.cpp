#include "PrintInvoice.h"

#include "PrintDevice.h"
#include "PrintPrimitives.h"
#include "TPrintTemplate.h"

#include "core/Globals.h"
#include "core/TextCodec.h"

#include <QFont>
#include <algorithm>
#include <cmath>

int MmToPixels(int dpi, double mm)
{
    const long double exact = static_cast<long double>(dpi) * static_cast<long double>(mm) * 10000.0L / 25.4L;
    // nearbyint rounds in the current mode: to nearest, ties to even.
    const long double fourDecimals = std::nearbyintl(exact) / 10000.0L;
    return static_cast<int>(std::nearbyintl(fourDecimals));
}

int GetPrinterCharWidth() { return PrintDevice().AverageCharWidth(); }
int GetPrinterOffsetY() { return PrintDevice().OffsetY(); }
int GetPrinterDpiX() { return PrintDevice().DpiX(); }
int GetPrinterDpiY() { return PrintDevice().DpiY(); }
QPoint GetPrinterPageSize() { return PrintDevice().PageSize(); }

void SetPaperSize(int widthMm, int heightMm) { PrintDevice().SetPaperSize(widthMm, heightMm); }

void SetPrintOrientation(const QString& printWay)
{
    if (printWay == u"0")
        PrintDevice().SetOrientation(QPageLayout::Portrait);
    else if (printWay == u"1")
        PrintDevice().SetOrientation(QPageLayout::Landscape);
}

void PrintTextAt(int x, int y, const QString& text)
{
    TPrintDevice& device = PrintDevice();
    const QSize size = device.TextExtent(text);
    const QPoint page = device.PageSize();
    if (x + size.width() > page.x())
        x = page.x() - size.width();
    if (y + size.height() > page.y())
        y = page.y() - size.height();
    device.DrawText(x, y, text);
}

int CharsInBytes(const QString& text, int n)
{
    int bytes = 0;
    int taken = 0;
    while (taken < text.size()) {
        const bool pair = text.at(taken).isHighSurrogate() && taken + 1 < text.size() && text.at(taken + 1).isLowSurrogate();
        const int width = text.at(taken).unicode() < 0x80 ? 1 : 2;
        if (bytes + width > n)
            break;
        bytes += width;
        taken += pair ? 2 : 1;
    }
    return taken;
}

void PrintItemText(const QString& text, const QString& fontName, int fontSize, double x, double y, double maxLength)
{
    TPrintDevice& device = PrintDevice();
    device.SetFont(fontName, fontSize);
    const int cw = device.AverageCharWidth();
    const int th = device.TextExtent(text).height();
    const int px = MmToPixels(device.DpiX(), x) + 2 * cw;
    int py = MmToPixels(device.DpiY(), y) - device.OffsetY();
    const int w = MmToPixels(device.DpiX(), maxLength);
    if (static_cast<qint64>(GbkLength(text)) * cw <= w) {
        PrintTextAt(px, py, text);
        return;
    }
    device.SetFont(fontName, fontSize - 1);
    const int cw2 = device.AverageCharWidth();
    const int n = cw2 > 0 ? w / cw2 : 0;  // bytes per line
    py = py - th / 2 - th / 2;
    // Whether the rest is wider than the field is told by a piece of it just long enough,
    // never by the whole rest on every line: a long text costs its length, not its square.
    auto wider = [&device, w, n](const QStringView rest) {
        for (qsizetype piece = std::max(n, 1) + 1;; piece *= 2) {
            if (piece >= rest.size())
                return device.TextExtent(rest.toString()).width() > w;
            if (device.TextExtent(rest.left(piece).toString()).width() > w)
                return true;
        }
    };
    const QStringView all(text);
    qsizetype at = 0;
    while (wider(all.mid(at))) {
        const QStringView rest = all.mid(at);
        const int take = CharsInBytes(rest.left(2 * static_cast<qsizetype>(std::max(n, 1)) + 2).toString(), n);
        if (take == 0)
            break;  // a field too narrow for one character: the rest goes on one line
        PrintTextAt(px, py, rest.left(take).toString());
        at += take;
        py += th;
    }
    PrintTextAt(px, py, all.mid(at).toString());
}

void PrintFramedText(const QString& text, const QString& fontName, int fontSize, double x, double y, double)
{
    TPrintDevice& device = PrintDevice();
    device.SetFont(fontName, fontSize);
    const QSize size = device.TextExtent(text);
    const int px = MmToPixels(device.DpiX(), x) - 2 * device.AverageCharWidth();
    const int py = MmToPixels(device.DpiY(), y) - device.OffsetY();
    device.DrawRectangle(px - 10, py - 1, px + size.width() + 10, py + size.height() + 1, 8);
    PrintTextAt(px, py, text);
}

namespace {
bool Fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

// One job of one page; testPage prints every item's display name instead of its value.
bool PrintJob(const TPrintTemplate& tpl, int offX, int offY, bool testPage, QString* error)
{
    TPrintDevice& device = PrintDevice();
    bool started = false;
    if (const QString range = PrintRangeError(tpl, offX, offY); !range.isEmpty())
        return Fail(error, range);
    try {
        SetPaperSize(tpl.PageWidth, tpl.PageHeight);
        SetPrintOrientation(tpl.PrintWay);
        QString reason;
        if (!device.BeginJob(&reason))
            return Fail(error, reason);
        started = true;
        for (int i = 0; i < tpl.Count(); ++i) {
            const TPrintDateItem& item = tpl.GetItem(i);
            if (!testPage && item.Value.isNull())
                continue;
            const QString text = testPage ? item.ItemDisName : item.Value.toString();
            const double x = static_cast<double>(item.ItemPosX) + offX;
            const double y = static_cast<double>(item.ItemPosY) + offY;
            if (item.ItemName == u"ManageTaxID")
                PrintFramedText(text, item.ItemFontName, item.ItemFontSize, x, y, item.ItemMaxLength);
            else
                PrintItemText(text, item.ItemFontName, item.ItemFontSize, x, y, item.ItemMaxLength);
            if (device.Failed(&reason)) {
                started = false;
                device.AbortJob();
                return Fail(error, reason);
            }
        }
        started = false;
        if (!device.EndJob(&reason))
            return Fail(error, reason);
        return true;
    } catch (const std::exception& e) {
        if (started)
            device.AbortJob();
        return Fail(error, QString::fromUtf8(e.what()));
    }
}
}  // namespace

QString PrintRangeError(const TPrintTemplate& tpl, int offX, int offY)
{
    if (QString range = TemplateRangeError(tpl, true); !range.isEmpty())
        return range;
    // As the fine-tuning window allows them: up to the page's size either way.
    auto offset = [](const char* key, int value, int page) {
        if (value >= -page && value <= page)
            return QString();
        return QStringLiteral("Corvane.ini 中 [Print] %1=%2 超出范围（%3～%4 毫米），请在“打印调试”中重新设置")
            .arg(QLatin1String(key))
            .arg(value)
            .arg(-page)
            .arg(page);
    };
    if (QString x = offset("prtOffX", offX, tpl.PageWidth); !x.isEmpty())
        return x;
    return offset("prtOffY", offY, tpl.PageHeight);
}

bool PrintInvoice(const TPrintTemplate& tpl, int offX, int offY, QString* error)
{
    return PrintJob(tpl, offX, offY, false, error);
}

bool PrintTestPage(const TPrintTemplate& tpl, int offX, int offY, QString* error)
{
    return PrintJob(tpl, offX, offY, true, error);
}

void InstallPrintTemplateStore()
{
    TPrintTemplateStore store;
    store.Create = [] { return std::make_shared<TPrintTemplate>(); };
    store.LoadFromXML = [](TPrintTemplate& tpl, const QString& fileName, QString* error) {
        return tpl.LoadFromXML(fileName, error);
    };
    store.SaveToDB = [](TPrintTemplate& tpl, TADODB& db) { return tpl.SaveToDB(db); };
    store.LoadFromDB = [](TPrintTemplate& tpl, TADODB& db) { return tpl.LoadFromDB(db); };
    SetPrintTemplateStore(store);
}

void InstallFontSubstitutions()
{
    const QStringList song{QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei")};
    for (const char* name : {"宋体", "SimSun", "新宋体", "NSimSun"})
        QFont::insertSubstitutions(QString::fromUtf8(name), song);
    const QStringList kai{QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UMing CN")};
    for (const char* name : {"楷体_GB2312", "楷体", "KaiTi_GB2312", "KaiTi"})
        QFont::insertSubstitutions(QString::fromUtf8(name), kai);
}

#include "PrintDevice.h"

#include "PrintInvoice.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
TPrintDevice*& Installed()
{
    static TPrintDevice* device = nullptr;
    return device;
}

TQtPrintDevice* g_qtDevice = nullptr;

void FreeQtDevice()
{
    delete g_qtDevice;
    g_qtDevice = nullptr;
}

// The printer must go before the application object does.
TQtPrintDevice& QtDevice()
{
    if (!g_qtDevice) {
        g_qtDevice = new TQtPrintDevice;
        qAddPostRoutine(FreeQtDevice);
    }
    return *g_qtDevice;
}
}  // namespace

TPrintDevice& PrintDevice() { return Installed() ? *Installed() : QtDevice(); }

TPrintDevice* SetPrintDevice(TPrintDevice* device)
{
    TPrintDevice* previous = Installed();
    Installed() = device;
    return previous;
}

TQtPrintDevice::TQtPrintDevice(std::function<QString()> defaultPrinterName, QMarginsF pdfMarginsMm)
    : m_defaultPrinterName(defaultPrinterName ? std::move(defaultPrinterName)
                                              : std::function<QString()>([] { return QPrinterInfo::defaultPrinterName(); })),
      m_pdfMargins(pdfMarginsMm)
{
}

TQtPrintDevice::~TQtPrintDevice()
{
    if (m_painter && m_painter->isActive())
        AbortJob();
}

void TQtPrintDevice::SetPaperSize(int widthMm, int heightMm)
{
    // No size (an empty template) leaves the paper as it is.
    if (widthMm > 0 && heightMm > 0)
        m_paperMm = QSizeF(widthMm, heightMm);
}

void TQtPrintDevice::SetOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }

bool TQtPrintDevice::Prepare(QString* error)
{
    const QString pdf = qEnvironmentVariable(kPrintPdfVariable);
    QString printerName;
    if (pdf.isEmpty()) {
        printerName = m_defaultPrinterName();
        if (printerName.isEmpty()) {
            if (error)
                *error = QStringLiteral("没有安装打印机！");
            return false;
        }
    }
    // One printer for the whole process: what a job set stays for the next one.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!pdf.isEmpty()) {
        if (m_printer->outputFormat() != QPrinter::PdfFormat)
            m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(pdf);
        m_printer->setFullPage(false);
        m_printer->setPageMargins(m_pdfMargins, QPageLayout::Millimeter);
    } else {
        if (m_printer->outputFormat() != QPrinter::NativeFormat)
            m_printer->setOutputFormat(QPrinter::NativeFormat);
        m_printer->setOutputFileName(QString());
        if (m_printer->printerName() != printerName)
            m_printer->setPrinterName(printerName);
        if (!m_printer->isValid()) {
            if (error)
                *error = QStringLiteral("打印机不可用：%1").arg(printerName);
            return false;
        }
        m_printer->setFullPage(false);  // the origin is the printable area's corner
    }
    m_pdfFile = pdf;
    if (m_paperMm)
        m_printer->setPageSize(QPageSize(*m_paperMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    if (m_orientation)
        m_printer->setPageOrientation(*m_orientation);
    // Pre-printed sheets are fed by hand; printers without that source ignore it.
    m_printer->setPaperSource(QPrinter::Manual);
    return true;
}

bool TQtPrintDevice::BeginJob(QString* error)
{
    if (m_painter && m_painter->isActive())
        AbortJob();
    if (!Prepare(error))
        return false;
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        if (error)
            *error = m_pdfFile.isEmpty() ? QStringLiteral("无法开始打印作业：%1").arg(m_printer->printerName())
                                         : QStringLiteral("无法开始打印作业：%1").arg(m_pdfFile);
        m_painter.reset();
        return false;
    }
    SetFont(m_fontFace, m_fontPoints);
    return true;
}

bool TQtPrintDevice::Failed(QString* error) const
{
    const bool failed = !m_painter || !m_painter->isActive() || m_printer->printerState() == QPrinter::Error ||
                        m_printer->printerState() == QPrinter::Aborted;
    if (failed && error)
        *error = QStringLiteral("打印机出错，打印作业已取消");
    return failed;
}

bool TQtPrintDevice::EndJob(QString* error)
{
    if (!m_painter || !m_painter->isActive()) {
        if (error)
            *error = QStringLiteral("打印作业未开始");
        return false;
    }
    if (Failed(error)) {
        AbortJob();
        return false;
    }
    const bool ended = m_painter->end();
    m_painter.reset();
    bool ok = ended && m_printer->printerState() != QPrinter::Error && m_printer->printerState() != QPrinter::Aborted;
    if (ok && !m_pdfFile.isEmpty())
        ok = QFileInfo(m_pdfFile).size() > 0;  // the engine reports nothing when writing fails
    if (!ok) {
        if (error)
            *error = QStringLiteral("打印作业未能完成");
        FinishAborted();
    }
    return ok;
}

void TQtPrintDevice::AbortJob()
{
    if (m_printer)
        m_printer->abort();
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    FinishAborted();
}

void TQtPrintDevice::FinishAborted()
{
    // A PDF cannot be cancelled: a half invoice must not stay behind as if printed.
    if (!m_pdfFile.isEmpty())
        QFile::remove(m_pdfFile);
}

void TQtPrintDevice::SetFont(const QString& face, int points)
{
    m_fontFace = face;
    m_fontPoints = points > 0 ? points : 1;
    if (m_painter && m_painter->isActive()) {
        QFont font(m_fontFace);
        font.setPointSize(m_fontPoints);
        m_painter->setFont(font);
    }
}

int TQtPrintDevice::AverageCharWidth() const
{
    if (m_painter && m_painter->isActive())
        return m_painter->fontMetrics().averageCharWidth();
    return 0;
}

QSize TQtPrintDevice::TextExtent(const QString& text) const
{
    if (!m_painter || !m_painter->isActive())
        return {};
    const QFontMetrics fm = m_painter->fontMetrics();
    return {fm.horizontalAdvance(text), fm.height()};
}

void TQtPrintDevice::DrawText(int x, int y, const QString& text)
{
    if (!m_painter || !m_painter->isActive() || text.isEmpty())
        return;
    m_painter->setPen(QPen(Qt::black));
    m_painter->drawText(x, y + m_painter->fontMetrics().ascent(), text);
}

void TQtPrintDevice::DrawRectangle(int x1, int y1, int x2, int y2, int penWidth)
{
    if (!m_painter || !m_painter->isActive())
        return;
    QPen pen(Qt::black);
    pen.setWidth(penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter->setPen(pen);
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawRect(QRect(x1, y1, x2 - x1, y2 - y1));
}

QPoint TQtPrintDevice::PageSize()
{
    if (!(m_painter && m_painter->isActive())) {
        QString error;
        if (!Prepare(&error))
            throw EPrintError(error);
    }
    const QRect page = m_printer->pageRect(QPrinter::DevicePixel).toRect();
    return {page.width(), page.height()};
}

int TQtPrintDevice::DpiX() const { return m_printer ? m_printer->logicalDpiX() : 0; }
int TQtPrintDevice::DpiY() const { return m_printer ? m_printer->logicalDpiY() : 0; }

int TQtPrintDevice::OffsetY() const
{
    if (!m_printer)
        return 0;
    return qRound(m_printer->pageRect(QPrinter::DevicePixel).top() - m_printer->paperRect(QPrinter::DevicePixel).top());
}

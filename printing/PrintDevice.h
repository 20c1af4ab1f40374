#pragma once
#include <QMarginsF>
#include <QPageLayout>
#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QPrinter;

// The process-wide printer the invoice goes to: page set-up that lasts from job to job, one
// job at a time, text and frames in device pixels with the origin at the printable area's
// top-left corner.
class TPrintDevice {
public:
    virtual ~TPrintDevice() = default;

    // Kept for the following jobs.
    virtual void SetPaperSize(int widthMm, int heightMm) = 0;
    virtual void SetOrientation(QPageLayout::Orientation orientation) = 0;

    // False with a reason when no job could be started.
    virtual bool BeginJob(QString* error) = 0;
    // Ends the job (one page); false when the job did not come out whole.
    virtual bool EndJob(QString* error) = 0;
    // Cancels the running job; nothing of it is left behind where that can be avoided.
    virtual void AbortJob() = 0;
    // True when the printer reports an error during the running job.
    virtual bool Failed(QString* error) const = 0;

    virtual void SetFont(const QString& face, int points) = 0;
    virtual int AverageCharWidth() const = 0;                      // of the current font
    virtual QSize TextExtent(const QString& text) const = 0;       // width, height (ascent + descent)
    virtual void DrawText(int x, int y, const QString& text) = 0;  // (x, y) is the top-left corner
    virtual void DrawRectangle(int x1, int y1, int x2, int y2, int penWidth) = 0;

    // Printable page in device pixels; raises EPrintError when there is no printer.
    virtual QPoint PageSize() = 0;
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    virtual int OffsetY() const = 0;  // unprintable margin at the top, device pixels
};

// The installed device; the first call creates the Qt device below.
TPrintDevice& PrintDevice();
// Installs a device (not owned); nullptr restores the Qt device. Returns the previous one.
TPrintDevice* SetPrintDevice(TPrintDevice* device);

// The environment variable naming a PDF file that takes the print instead of the printer.
inline constexpr const char* kPrintPdfVariable = "TALLYRA_PRINT_PDF";

// QPrinter in high resolution on the default (CUPS) printer, or into the PDF file named by
// TALLYRA_PRINT_PDF. The PDF has no unprintable margins unless given here.
class TQtPrintDevice final : public TPrintDevice {
public:
    explicit TQtPrintDevice(std::function<QString()> defaultPrinterName = {}, QMarginsF pdfMarginsMm = {});
    ~TQtPrintDevice() override;

    void SetPaperSize(int widthMm, int heightMm) override;
    void SetOrientation(QPageLayout::Orientation orientation) override;
    bool BeginJob(QString* error) override;
    bool EndJob(QString* error) override;
    void AbortJob() override;
    bool Failed(QString* error) const override;
    void SetFont(const QString& face, int points) override;
    int AverageCharWidth() const override;
    QSize TextExtent(const QString& text) const override;
    void DrawText(int x, int y, const QString& text) override;
    void DrawRectangle(int x1, int y1, int x2, int y2, int penWidth) override;
    QPoint PageSize() override;
    int DpiX() const override;
    int DpiY() const override;
    int OffsetY() const override;

private:
    // Points the printer at this job's target with the kept page set-up.
    bool Prepare(QString* error);
    void FinishAborted();

    std::function<QString()> m_defaultPrinterName;
    QMarginsF m_pdfMargins;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QString m_pdfFile;  // target of the running or last job; empty for the printer
    std::optional<QSizeF> m_paperMm;
    std::optional<QPageLayout::Orientation> m_orientation;
    QString m_fontFace;
    int m_fontPoints = 12;
};

#include "PrintSheet.h"

#include "TSheetView.h"
#include "printing/PrintDevice.h"
#include "printing/PrintInvoice.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <unordered_map>

namespace {
QPageSize PaperOf(int code)
{
    switch (code) {
    case 1:
        return QPageSize(QPageSize::Letter);
    case 5:
        return QPageSize(QPageSize::Legal);
    case 8:
        return QPageSize(QPageSize::A3);
    case 11:
        return QPageSize(QPageSize::A5);
    case 13:
        return QPageSize(QPageSize::B5);
    default:
        return QPageSize(QPageSize::A4);
    }
}

constexpr double kPadding = 2;  // points between a cell's edge and its text

// The sheet measured in points, and the cells of each row.
struct TLayout {
    std::vector<double> x;                            // left edge of each column from 1; x[columns + 1] the right end
    std::vector<double> height;                       // of each row from 1
    std::vector<std::pair<size_t, size_t>> rowCells;  // [first, last) of each row's cells
    std::unordered_map<qint64, TCellRange> mergeAt;   // top-left cell -> merge
    std::unordered_map<qint64, bool> covered;         // cells inside a merge, not its top-left one
};

qint64 Key(int row, int column) { return (static_cast<qint64>(row) << 16) | column; }

TLayout Measure(const TSheetContent& s)
{
    TLayout l;
    l.x.assign(static_cast<size_t>(s.columns) + 2, 0);
    for (int c = 1; c <= s.columns; ++c)
        l.x[static_cast<size_t>(c) + 1] =
            l.x[static_cast<size_t>(c)] + ColumnPixels(s.columnWidths[static_cast<size_t>(c) - 1]) * 0.75;
    l.height.assign(static_cast<size_t>(s.rows) + 1, s.defaultRowHeight);
    for (const auto& [row, h] : s.rowHeights)
        if (row <= s.rows)
            l.height[static_cast<size_t>(row)] = h;
    l.rowCells.assign(static_cast<size_t>(s.rows) + 1, {0, 0});
    for (size_t i = 0; i < s.cells.size();) {
        const int row = s.cells[i].row;
        size_t j = i;
        while (j < s.cells.size() && s.cells[j].row == row)
            ++j;
        l.rowCells[static_cast<size_t>(row)] = {i, j};
        i = j;
    }
    for (TCellRange m : s.merges) {
        // Only what lies inside the used range is drawn: a merge past it covers nothing more.
        if (m.top < 1 || m.left < 1 || m.top > s.rows || m.left > s.columns || m.bottom < m.top || m.right < m.left)
            continue;
        m.bottom = std::min(m.bottom, s.rows);
        m.right = std::min(m.right, s.columns);
        l.mergeAt[Key(m.top, m.left)] = m;
        // The cells a merge hides are those that exist under it, not every place it spans.
        for (int r = m.top; r <= m.bottom; ++r) {
            const auto [begin, end] = l.rowCells[static_cast<size_t>(r)];
            for (size_t i = begin; i < end; ++i) {
                const int c = s.cells[i].column;
                if (c >= m.left && c <= m.right && (r != m.top || c != m.left))
                    l.covered[Key(r, c)] = true;
            }
        }
    }
    return l;
}

class TPagePainter {
public:
    TPagePainter(const TSheetContent& s, const TLayout& l, QPainter& p, double unit, QPointF origin)
        : m_s(s), m_l(l), m_p(p), m_unit(unit), m_origin(origin)
    {
        for (const TCellLook& look : s.looks) {
            QFont f(look.fontName.isEmpty() ? QStringLiteral("宋体") : look.fontName);
            // Point sizes scale with the page like everything else.
            f.setPointSizeF(std::max(1.0, (look.fontSize > 0 ? look.fontSize : 11) * unit * 72.0 / p.device()->logicalDpiY()));
            f.setBold(look.bold);
            m_fonts.push_back(f);
        }
    }

    // Rows [first, last] with their top at y points below the page's top.
    double Band(int first, int last, double y)
    {
        for (int r = first; r <= last; ++r) {
            const auto [begin, end] = m_l.rowCells[static_cast<size_t>(r)];
            for (size_t i = begin; i < end; ++i)
                Cell(m_s.cells[i], y, last);
            y += m_l.height[static_cast<size_t>(r)];
        }
        return y;
    }

private:
    QRectF Device(double x1, double y1, double x2, double y2) const
    {
        return QRectF(m_origin + QPointF(x1, y1) * m_unit, m_origin + QPointF(x2, y2) * m_unit);
    }

    void Cell(const TSheetContent::TCell& cell, double y, int bandLast)
    {
        if (m_l.covered.count(Key(cell.row, cell.column)))
            return;
        int right = cell.column, bottom = cell.row;
        if (const auto m = m_l.mergeAt.find(Key(cell.row, cell.column)); m != m_l.mergeAt.end()) {
            right = std::min(m->second.right, m_s.columns);
            bottom = std::min(m->second.bottom, bandLast);
        }
        double h = 0;
        for (int r = cell.row; r <= bottom; ++r)
            h += m_l.height[static_cast<size_t>(r)];
        const double x1 = m_l.x[static_cast<size_t>(cell.column)], x2 = m_l.x[static_cast<size_t>(right) + 1];
        const QRectF rect = Device(x1, y, x2, y + h);
        const TCellLook& look = m_s.looks[static_cast<size_t>(cell.look)];
        if (!cell.value.text.isEmpty()) {
            m_p.setFont(m_fonts[static_cast<size_t>(cell.look)]);
            m_p.setPen(Qt::black);
            const QRectF inner = rect.adjusted(kPadding * m_unit, 0, -kPadding * m_unit, 0);
            int flags = static_cast<int>(AlignmentOf(look, cell.value.kind));
            flags |= look.wrap ? Qt::TextWordWrap : Qt::TextSingleLine;
            m_p.save();
            m_p.setClipRect(rect);
            m_p.drawText(inner, flags, cell.value.text);
            m_p.restore();
        }
        if (look.left || look.top || look.right || look.bottom) {
            m_p.setPen(QPen(Qt::black, 0.5 * m_unit));
            if (look.left)
                m_p.drawLine(rect.topLeft(), rect.bottomLeft());
            if (look.top)
                m_p.drawLine(rect.topLeft(), rect.topRight());
            if (look.right)
                m_p.drawLine(rect.topRight(), rect.bottomRight());
            if (look.bottom)
                m_p.drawLine(rect.bottomLeft(), rect.bottomRight());
        }
    }

    const TSheetContent& m_s;
    const TLayout& m_l;
    QPainter& m_p;
    double m_unit;  // device pixels per sheet point
    QPointF m_origin;
    std::vector<QFont> m_fonts;
};
}  // namespace

void SetUpSheetPage(const TSheetContent& sheet, QPrinter& printer)
{
    printer.setPageSize(PaperOf(sheet.paperSize));
    printer.setPageOrientation(sheet.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setFullPage(false);
    printer.setPageMargins(QMarginsF(sheet.marginLeft, sheet.marginTop, sheet.marginRight, sheet.marginBottom),
                           QPageLayout::Inch);
}

int RenderSheet(const TSheetContent& sheet, QPrinter& printer)
{
    const TLayout layout = Measure(sheet);
    QPainter painter;
    if (!painter.begin(&printer))
        throw EPrintError(QStringLiteral("无法开始打印作业：%1")
                              .arg(printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName()));
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const double devicePerPoint = printer.resolution() / 72.0;
    const double width = layout.x.back();
    const double pageWidth = page.width() / devicePerPoint;
    // Shrunk to the page's width, never enlarged.
    const double scale = width > pageWidth ? pageWidth / width : 1.0;
    const double unit = devicePerPoint * scale;
    const double pageHeight = page.height() / unit;  // sheet points a page holds
    const double left = sheet.centredHorizontally ? (page.width() - width * unit) / 2 : 0;

    const int titleFirst = sheet.titleFirstRow, titleLast = std::min(sheet.titleLastRow, sheet.rows);
    double titleHeight = 0;
    if (titleFirst > 0)
        for (int r = titleFirst; r <= titleLast; ++r)
            titleHeight += layout.height[static_cast<size_t>(r)];

    TPagePainter draw(sheet, layout, painter, unit, QPointF(left, 0));
    int pages = 0;
    int row = 1;
    while (row <= std::max(sheet.rows, 1)) {
        if (pages > 0 && !printer.newPage()) {
            painter.end();
            throw EPrintError(QStringLiteral("打印机出错，打印作业已取消"));
        }
        ++pages;
        double y = 0;
        // Titles repeat on the pages that do not begin with them.
        if (titleFirst > 0 && row > titleLast && titleHeight < pageHeight)
            y = draw.Band(titleFirst, titleLast, 0);
        int last = row;
        double used = y + (row <= sheet.rows ? layout.height[static_cast<size_t>(row)] : 0);
        while (last < sheet.rows && used + layout.height[static_cast<size_t>(last) + 1] <= pageHeight) {
            ++last;
            used += layout.height[static_cast<size_t>(last)];
        }
        if (sheet.rows > 0)
            draw.Band(row, last, y);
        row = last + 1;
    }
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        throw EPrintError(QStringLiteral("打印作业未能完成"));
    return pages;
}

void PrintSheet(const QString& file, QWidget* parent)
{
    TWorkbook book;
    book.Open(file);
    const TSheetContent sheet = book.Content();

    const QString pdf = qEnvironmentVariable(kPrintPdfVariable);
    if (!pdf.isEmpty()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        SetUpSheetPage(sheet, printer);
        RenderSheet(sheet, printer);
        if (QFileInfo(pdf).size() <= 0)
            throw EPrintError(QStringLiteral("打印作业未能完成：%1").arg(pdf));
        return;
    }
    const QString name = QPrinterInfo::defaultPrinterName();
    if (name.isEmpty())
        throw EPrintError(QStringLiteral("没有安装打印机！"));
    QPrinter printer(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    if (!printer.isValid())
        throw EPrintError(QStringLiteral("打印机不可用：%1").arg(name));
    SetUpSheetPage(sheet, printer);
    PreviewSheet(sheet, printer, QFileInfo(file).fileName(), parent);
}

void PreviewSheet(const TSheetContent& sheet, QPrinter& printer, const QString& title, QWidget* parent)
{
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(title);
    // The preview draws on pages of its own; printing from it draws on the printer, and then the
    // dialog is accepted. What failed last is what printing left.
    QString failure;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&sheet, &failure](QPrinter* p) {
        failure.clear();
        try {
            RenderSheet(sheet, *p);
        } catch (const ETallyraError& e) {
            failure = e.Text();
        }
    });
    if (preview.exec() == QDialog::Accepted && !failure.isEmpty())
        throw EPrintError(failure);
}

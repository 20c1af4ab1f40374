#include "PdfWords.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
double Attr(const QRegularExpressionMatch& m, const char* name) { return m.captured(QLatin1String(name)).toDouble(); }

QString Unescape(const QString& html)
{
    QString s = html;
    s.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&#39;"), QLatin1String("'"));
    return s.replace(QLatin1String("&amp;"), QLatin1String("&"));
}
}  // namespace

std::vector<TPdfPage> ReadPdfWords(const QString& pdfFile)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdfFile, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageRe(QStringLiteral("<page width=\"(?<w>[0-9.]+)\" height=\"(?<h>[0-9.]+)\">"));
    static const QRegularExpression wordRe(
        QStringLiteral("<word xMin=\"(?<x1>[-0-9.]+)\" yMin=\"(?<y1>[-0-9.]+)\" xMax=\"(?<x2>[-0-9.]+)\" "
                       "yMax=\"(?<y2>[-0-9.]+)\">(?<t>[^<]*)</word>"));
    std::vector<TPdfPage> pages;
    const QStringList chunks = html.split(QStringLiteral("<page "));
    for (int i = 1; i < chunks.size(); ++i) {
        const QString chunk = QStringLiteral("<page ") + chunks.at(i);
        const auto pm = pageRe.match(chunk);
        if (!pm.hasMatch())
            continue;
        TPdfPage page;
        page.size = QSizeF(PtToMm(Attr(pm, "w")), PtToMm(Attr(pm, "h")));
        for (auto it = wordRe.globalMatch(chunk); it.hasNext();) {
            const auto m = it.next();
            page.words.push_back(
                {Unescape(m.captured(QStringLiteral("t"))), QRectF(QPointF(PtToMm(Attr(m, "x1")), PtToMm(Attr(m, "y1"))),
                                                                   QPointF(PtToMm(Attr(m, "x2")), PtToMm(Attr(m, "y2"))))});
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

std::vector<TPdfWord> FindWords(const TPdfPage& page, const QString& text)
{
    std::vector<TPdfWord> found;
    for (const TPdfWord& w : page.words)
        if (w.text == text)
            found.push_back(w);
    return found;
}

QImage RenderPdfPage(const QString& pdfFile, int dpi)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/page");
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"), QStringLiteral("-singlefile"), pdfFile, base});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QImage(base + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
}

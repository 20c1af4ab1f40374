#pragma once
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

// What pdftotext -bbox reads back from a printed PDF, in millimetres from the sheet's corner.
struct TPdfWord {
    QString text;
    QRectF box;  // mm
};
struct TPdfPage {
    QSizeF size;  // mm
    std::vector<TPdfWord> words;
};

// Every page of the file; empty when pdftotext fails.
std::vector<TPdfPage> ReadPdfWords(const QString& pdfFile);
// The words equal to text on a page.
std::vector<TPdfWord> FindWords(const TPdfPage& page, const QString& text);
// The page rendered in grey at dpi by pdftoppm (null image when that fails).
QImage RenderPdfPage(const QString& pdfFile, int dpi);

inline double PtToMm(double pt) { return pt * 25.4 / 72.0; }

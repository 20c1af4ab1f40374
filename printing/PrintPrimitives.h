#pragma once
#include <QPoint>
#include <QString>

// Printing in millimetres on the installed print device (PrintDevice.h). Positions are
// measured from the sheet's top-left corner; only the vertical one is corrected by the
// printer's unprintable margin (the stored offsets make up for the rest).

// Round(Round(dpi * mm * 10000 / 25.4) / 10000), both to the nearest with ties to even.
int MmToPixels(int dpi, double mm);

int GetPrinterCharWidth();
int GetPrinterOffsetY();
int GetPrinterDpiX();
int GetPrinterDpiY();

void SetPaperSize(int widthMm, int heightMm);
// "0" portrait, "1" landscape; any other text leaves the orientation as it is.
void SetPrintOrientation(const QString& printWay);

// Draws text with its top-left corner at (x, y) device pixels, moved back inside the right
// and bottom edges of the page.
void PrintTextAt(int x, int y, const QString& text);
// A field's text: one size smaller and wrapped (never inside a character) when its GBK
// length in average characters is wider than maxLength.
void PrintItemText(const QString& text, const QString& fontName, int fontSize, double x, double y, double maxLength);
// A text inside a thick frame; never shrunk or wrapped.
void PrintFramedText(const QString& text, const QString& fontName, int fontSize, double x, double y, double maxLength);

// How many characters of text make one wrapped line of at most n GBK bytes; 0 when not even
// the first character fits.
int CharsInBytes(const QString& text, int n);

#pragma once
#include "core/Errors.h"

#include <QString>
#include <map>
#include <memory>
#include <vector>

class QIODevice;

// A workbook could not be read or written. Text() is the reason followed by the file.
class EWorkbookError : public EFileError {
public:
    using EFileError::EFileError;
};

// What a cell holds, or what its formula comes to.
enum class TCellKind { Empty, Text, Number, Boolean, Error };

struct TCellValue {
    TCellKind kind = TCellKind::Empty;
    // The text; a number in general format; "TRUE" or "FALSE"; the error ("#VALUE!").
    QString text;
    double number = 0;  // Number, and Boolean as 1 or 0
};

// Cell names: rows and columns count from 1, column 1 is A. ParseCellName takes "G8" or "$G$8".
QString ColumnName(int column);
QString CellName(int row, int column);
bool ParseCellName(const QString& name, int& row, int& column);

// A number as a cell in general format shows it: at most 15 significant digits, no trailing
// zeros, the C locale's point.
QString GeneralNumberText(double value);

// What the sheet view and the sheet printing draw of the first worksheet.
struct TCellLook {
    enum THorizontal { General, Left, Center, Right };
    enum TVertical { Bottom, Middle, Top };
    QString fontName;
    double fontSize = 11;  // points
    bool bold = false;
    THorizontal horizontal = General;
    TVertical vertical = Bottom;
    bool wrap = false;
    bool left = false, right = false, top = false, bottom = false;  // thin or stronger lines
};

struct TCellRange {
    int top = 1, left = 1, bottom = 1, right = 1;
};

struct TSheetContent {
    struct TCell {
        int row = 0;
        int column = 0;
        TCellValue value;
        int look = 0;  // index into looks
    };
    int rows = 0;  // the used range: every cell, styled or not; merges are clipped to it
    int columns = 0;
    std::vector<TCell> cells;          // sorted by row, then column
    std::vector<TCellLook> looks;      // looks[0] is the workbook's default
    std::vector<double> columnWidths;  // characters, one per column of the used range
    std::map<int, double> rowHeights;  // points, rows of their own height
    double defaultRowHeight = 15;
    std::vector<TCellRange> merges;
    // Page set-up.
    bool landscape = false;
    int paperSize = 9;      // the spreadsheet paper code: 9 A4, 8 A3, 11 A5, 1 Letter, 5 Legal
    int titleFirstRow = 0;  // rows repeated at the top of every page; 0 none
    int titleLastRow = 0;
    double marginLeft = 0.7, marginRight = 0.7, marginTop = 0.75, marginBottom = 0.75;  // inches
    bool centredHorizontally = false;
};

// The first worksheet of an .xlsx workbook, read from a file and written to a file; every
// other part of the file is kept as it was. Cells are written as inline strings, numbers and
// formulas; a formula's value is computed here (SUM of cells, ranges and numbers, and chains
// of + and -) and stored with it, and the file asks to be recalculated when opened.
class TWorkbook {
public:
    TWorkbook();
    ~TWorkbook();
    TWorkbook(TWorkbook&&) noexcept;
    TWorkbook& operator=(TWorkbook&&) noexcept;

    // Reads the workbook; its first worksheet is found through the workbook's relationships.
    // Raises EWorkbookError (not a zip, no worksheet, unreadable XML, ...).
    void Open(const QString& file);
    void Read(QIODevice& device, const QString& name);
    // Writes the whole workbook through SaveWholeFile: the file is replaced only by a complete one.
    void SaveAs(const QString& file);
    void Write(QIODevice& device, const QString& name);

    // Text exactly as given (leading zeros, blanks, a leading "=" stay).
    void SetText(int row, int column, const QString& text);
    void SetNumber(int row, int column, double value);  // raises for NaN and infinities
    // "=SUM(L8:L20)", "=SUM(B8+D8-F8-H8-J8)", "=B8+D8", "=SUM(B8:B9,3,C4)". Raises
    // EWorkbookError for any other formula and for a cycle; the cell is then left as it was.
    void SetFormula(int row, int column, const QString& formula);
    // Continuous thin lines on all four edges of every cell from one corner to the other.
    void SetBorders(const QString& from, const QString& to);
    void SetBorders(int top, int left, int bottom, int right);

    // The cell's value; a formula's computed value. Raises EWorkbookError for a formula in a
    // cycle (as do Content and the writing).
    TCellValue Value(int row, int column) const;
    // The formula with its "=", empty for a cell without one.
    QString Formula(int row, int column) const;

    TSheetContent Content() const;

    struct TData;

private:
    std::unique_ptr<TData> d;
};

// The first worksheet of a workbook file read for showing it: the file is read, checked and
// parsed as TWorkbook reads it, and a row's cells are decoded the first time one of them is
// asked for, so that a long list opens at the cost of reading it.
class TSheetReader {
public:
    TSheetReader();
    ~TSheetReader();
    TSheetReader(TSheetReader&&) noexcept;
    TSheetReader& operator=(TSheetReader&&) noexcept;

    // Raises EWorkbookError where TWorkbook::Open would.
    void Open(const QString& file);
    void Read(QIODevice& device, const QString& name);

    // What TWorkbook::Content() gives but the cells and their looks: the used range, looks[0]
    // (the default), column widths, row heights, merges and page set-up.
    const TSheetContent& Frame() const { return m_frame; }
    // The cell at (row, column), from 1: its value (a formula's computed one) and look; false
    // where there is none.
    bool Cell(int row, int column, TCellValue& value, TCellLook& look) const;

private:
    std::unique_ptr<TWorkbook::TData> d;
    TSheetContent m_frame;
    mutable std::map<int, TCellLook> m_looks;  // by cell format
};

#pragma once
#include "TWorkbook.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The formulas the workbook layer computes itself: sums of cells, ranges and numbers, and
// chains of + and -, such as SUM(L8:L20), SUM(B8+D8-F8-H8-J8), B8+D8-3 and SUM(B8:B9,C4,2).
struct TFormulaRef {
    int row = 0;
    int column = 0;
};

struct TFormulaArg;

struct TFormulaTerm {
    enum TKind { Number, Ref, Sum };
    int sign = 1;
    TKind kind = Number;
    double number = 0;
    TFormulaRef ref;
    std::vector<TFormulaArg> args;  // Sum
};

struct TFormulaArg {
    // A range, or a lone reference: its text and empty cells are skipped, as in a range.
    bool range = false;
    TFormulaRef from, to;
    std::vector<TFormulaTerm> chain;  // otherwise
};

struct TParsedFormula {
    std::vector<TFormulaTerm> chain;
};

// As a spreadsheet allows: SUM inside SUM at most this many levels deep.
inline constexpr int kMaxFormulaNesting = 64;

// The formula without its "="; nullopt for anything else, and for SUMs nested deeper.
std::optional<TParsedFormula> ParseFormula(const QString& text);

// The cells a formula reads: the value of one cell, and the values of the cells that exist in
// a range (fn returns false to stop).
struct TFormulaCells {
    std::function<TCellValue(int row, int column)> value;
    std::function<void(int top, int left, int bottom, int right, const std::function<bool(const TCellValue&)>& fn)> forEach;
};

// A number, or an error value ("#VALUE!" for a text operand, or an error read from a cell).
TCellValue EvaluateFormula(const TParsedFormula& formula, const TFormulaCells& cells);

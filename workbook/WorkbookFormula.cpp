#include "WorkbookFormula.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace {
class TParser {
public:
    explicit TParser(const QString& text) : m_text(text.toLatin1()) {}

    std::optional<TParsedFormula> Formula()
    {
        TParsedFormula f;
        if (!Chain(f.chain))
            return std::nullopt;
        SkipBlanks();
        if (m_pos != m_text.size())
            return std::nullopt;
        return f;
    }

private:
    void SkipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos] == ' ')
            ++m_pos;
    }
    char Peek()
    {
        SkipBlanks();
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    bool Take(char c)
    {
        if (Peek() != c)
            return false;
        ++m_pos;
        return true;
    }

    bool Chain(std::vector<TFormulaTerm>& chain)
    {
        int sign = 1;
        do {
            TFormulaTerm term;
            if (!Term(term))
                return false;
            term.sign *= sign;
            chain.push_back(std::move(term));
            const char op = Peek();
            if (op != '+' && op != '-')
                break;
            ++m_pos;
            sign = op == '-' ? -1 : 1;
        } while (true);
        return true;
    }

    bool Term(TFormulaTerm& term)
    {
        for (char c = Peek(); c == '+' || c == '-'; c = Peek()) {
            ++m_pos;
            if (c == '-')
                term.sign = -term.sign;
        }
        const char c = Peek();
        if ((c >= '0' && c <= '9') || c == '.')
            return Number(term);
        const qsizetype start = m_pos;
        if (TFormulaRef ref; Ref(ref)) {
            term.kind = TFormulaTerm::Ref;
            term.ref = ref;
            return true;
        }
        m_pos = start;
        return Sum(term);
    }

    bool Number(TFormulaTerm& term)
    {
        const char* begin = m_text.constData() + m_pos;
        const char* end = m_text.constData() + m_text.size();
        double v = 0;
        const auto [ptr, ec] = std::from_chars(begin, end, v, std::chars_format::general);
        if (ec != std::errc() || !std::isfinite(v))
            return false;
        m_pos += ptr - begin;
        term.kind = TFormulaTerm::Number;
        term.number = v;
        return true;
    }

    // A cell name ("B8", "$B$8"), not the name of a function.
    bool Ref(TFormulaRef& ref)
    {
        SkipBlanks();
        qsizetype end = m_pos;
        while (end < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[end])) || m_text[end] == '$'))
            ++end;
        if (end < m_text.size() && m_text[end] == '(')
            return false;
        if (!ParseCellName(QString::fromLatin1(m_text.mid(m_pos, end - m_pos)), ref.row, ref.column))
            return false;
        m_pos = end;
        return true;
    }

    bool Sum(TFormulaTerm& term)
    {
        SkipBlanks();
        if (m_text.mid(m_pos, 3).toUpper() != "SUM")
            return false;
        m_pos += 3;
        if (!Take('('))
            return false;
        // Parsing and computing recurse once a level: a deeper formula is refused, not a stack overflow.
        if (++m_depth > kMaxFormulaNesting)
            return false;
        term.kind = TFormulaTerm::Sum;
        do {
            TFormulaArg arg;
            if (!Arg(arg))
                return false;
            term.args.push_back(std::move(arg));
        } while (Take(','));
        --m_depth;
        return Take(')');
    }

    bool Arg(TFormulaArg& arg)
    {
        const qsizetype start = m_pos;
        TFormulaRef from;
        if (Ref(from)) {
            if (Take(':')) {
                TFormulaRef to;
                if (!Ref(to))
                    return false;
                arg.range = true;
                arg.from = {std::min(from.row, to.row), std::min(from.column, to.column)};
                arg.to = {std::max(from.row, to.row), std::max(from.column, to.column)};
                return true;
            }
            const char next = Peek();
            if (next == ',' || next == ')') {
                arg.range = true;
                arg.from = arg.to = from;
                return true;
            }
        }
        m_pos = start;
        return Chain(arg.chain);
    }

    QByteArray m_text;
    qsizetype m_pos = 0;
    int m_depth = 0;
};

TCellValue NumberValue(double v) { return {TCellKind::Number, GeneralNumberText(v), v}; }
TCellValue ErrorValue(const QString& e) { return {TCellKind::Error, e, 0}; }

TCellValue Chain(const std::vector<TFormulaTerm>& chain, const TFormulaCells& cells);

TCellValue Term(const TFormulaTerm& term, const TFormulaCells& cells)
{
    switch (term.kind) {
    case TFormulaTerm::Number:
        return NumberValue(term.number);
    case TFormulaTerm::Ref: {
        const TCellValue v = cells.value(term.ref.row, term.ref.column);
        switch (v.kind) {
        case TCellKind::Empty:
            return NumberValue(0);
        case TCellKind::Number:
        case TCellKind::Boolean:
            return NumberValue(v.number);
        case TCellKind::Text:
            return ErrorValue(QStringLiteral("#VALUE!"));
        case TCellKind::Error:
            return v;
        }
        break;
    }
    case TFormulaTerm::Sum: {
        double total = 0;
        for (const TFormulaArg& arg : term.args) {
            if (arg.range) {
                std::optional<TCellValue> error;
                cells.forEach(arg.from.row, arg.from.column, arg.to.row, arg.to.column, [&](const TCellValue& v) {
                    if (v.kind == TCellKind::Error) {
                        error = v;
                        return false;
                    }
                    if (v.kind == TCellKind::Number)
                        total += v.number;
                    return true;
                });
                if (error)
                    return *error;
            } else {
                const TCellValue v = Chain(arg.chain, cells);
                if (v.kind == TCellKind::Error)
                    return v;
                total += v.number;
            }
        }
        return NumberValue(total);
    }
    }
    return ErrorValue(QStringLiteral("#VALUE!"));
}

TCellValue Chain(const std::vector<TFormulaTerm>& chain, const TFormulaCells& cells)
{
    double total = 0;
    for (const TFormulaTerm& term : chain) {
        const TCellValue v = Term(term, cells);
        if (v.kind == TCellKind::Error)
            return v;
        total += term.sign * v.number;
    }
    return NumberValue(total);
}
}  // namespace

std::optional<TParsedFormula> ParseFormula(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0x7f)
            return std::nullopt;
    return TParser(text).Formula();
}

TCellValue EvaluateFormula(const TParsedFormula& formula, const TFormulaCells& cells)
{
    TCellValue v = Chain(formula.chain, cells);
    if (v.kind == TCellKind::Number && v.number == 0)
        v = NumberValue(0);  // never "-0"
    return v;
}

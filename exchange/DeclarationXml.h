#pragma once
// The monthly electronic declaration file: every valid issued invoice of a month, of all
// invoicing points, in the tax office's exchange format, GBK.
#include <QAbstractListModel>
#include <QByteArray>
#include <QDate>
#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <QVariant>
#include <vector>

class TADODB;

// One invoice of the declaration: the columns of DeclarationStatement(), in its order.
struct TDeclarationRow {
    QVariant fpdm, fphm, sccj, cpxh, cjhm, jwjehj;
};

// Normal and negative invoices of the month (bound as :month, "yyyy-MM") in issue order.
QString DeclarationStatement();
std::vector<TDeclarationRow> QueryDeclarationRows(TADODB& db, const QString& month);

// "SB_" + taxpayer number + "_" + yyyyMMdd of the day of writing + "_JDC_QYJDCXSFPB.xml".
QString DeclarationFileName(const QString& taxId, const QDate& day);

// The file's bytes: the declaration, the tree without whitespace, CR LF at the end, in GBK.
// Raises EConvertError for a NULL or non-numeric amount, a control character in a value or
// a character GBK does not have; the reason names the invoice (code and number) and the column,
// and the character GBK lacks.
QByteArray DeclarationXml(const QString& corpName, const QString& taxId, const QString& reportMonth,
                          const std::vector<TDeclarationRow>& rows);

// A declaration file as the window shows it: decoded from GBK, one element a line, indented by
// its depth; a line's text is made only when it is shown. No line for bytes that are not GBK.
class TDeclarationLines : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The file's lines; each one as wide as the widest of them in the font of metrics, so that
    // the view scrolls to the end of every line.
    void SetFile(const QByteArray& fileBytes, const QFontMetrics& metrics);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct TLine {
        qsizetype from;
        qsizetype length;
        int depth;
    };
    QString LineText(size_t line) const;

    QByteArray m_text;  // UTF-8
    std::vector<TLine> m_lines;
    QSize m_lineSize;
};

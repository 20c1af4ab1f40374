#pragma once
#include <QString>
#include <QVariant>
#include <deque>

class QIODevice;
class TADODB;

// One printable field of the invoice: where and how its value is printed.
struct TPrintDateItem {
    QString ItemName;          // key by which the invoice fills the value ("ManageTaxID" is framed)
    QVariant Value;            // Null: nothing is printed
    QString ItemDisName;       // printed in place of the value on the test page
    qint32 ItemMaxLength = 0;  // mm available to the text
    QString ItemFontName;
    qint32 ItemFontSize = 0;  // points
    qint32 ItemNewLine = 0;   // carried, not used for printing
    qint32 ItemPosX = 0;      // mm from the left edge of the sheet
    qint32 ItemPosY = 0;      // mm from the top edge of the sheet
};

// The print template: the sheet and its fields, in insertion order.
class TPrintTemplate {
public:
    QString TmpDesc;
    QString TmpIsDefault;   // "1" marks the template that is loaded
    qint32 PageWidth = 0;   // mm
    qint32 PageHeight = 0;  // mm
    QString TmpDetail;      // item names joined by ","
    QString PrintWay;       // "0" portrait, "1" landscape, anything else: leave the printer as it is

    // Adds an item with a Null value at the end; the reference stays valid until Clear.
    TPrintDateItem& Add();
    // 0-based; raises std::out_of_range outside 0 .. Count()-1.
    TPrintDateItem& GetItem(int index);
    const TPrintDateItem& GetItem(int index) const;
    int Count() const { return static_cast<int>(m_items.size()); }
    // First item whose name equals name exactly, or -1.
    int IndexOfName(const QString& name) const;
    // Values in item order joined by "^" (a Null value always adds one "^").
    QString GetValueString() const;
    void ClearValues();
    void Clear() { m_items.clear(); }  // removes the items, keeps the header

    // Replaces the items with the default template stored in the database; on any failure the
    // template is left without items.
    bool LoadFromDB(TADODB& db);
    // Replaces both template tables by this template in one transaction.
    bool SaveToDB(TADODB& db);

    // The template file "PrintTemplate.xml" (GBK). None of them raises. A failed read leaves
    // the template without items and its header as it was, and gives its reason in error; a
    // document with a DOCTYPE, elements nested deeper than a template's, or a number out of
    // the range of TemplateRangeError is refused.
    bool LoadFromXML(const QString& fileName, QString* error = nullptr);
    bool SaveToXML(const QString& fileName) const;
    bool LoadFromXML(QIODevice& device, QString* error = nullptr);
    bool SaveToXML(QIODevice& device) const;

private:
    void AssignFrom(TPrintTemplate&& other);

    std::deque<TPrintDateItem> m_items;
};

// What a template may hold, so that everything printed stays on the scale of its page and no
// arithmetic of the printing overflows. The paper is bounded as the printer driver's 16-bit
// fields of tenths of a millimetre bound it.
inline constexpr int kMaxPaperMm = 3276;
inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 72;
inline constexpr int kMaxItemLength = 200;

// Why the template cannot be printed, naming the item, the value and the range allowed; empty
// when it can: paper 0 to kMaxPaperMm, positions within plus or minus the paper's longer side
// (either orientation; kMaxPaperMm where the template gives no paper), lengths 0 to kMaxItemLength, font sizes
// kMinFontSize to kMaxFontSize. A font size of 0 (not given in a file) passes unless
// fontSizeRequired.
QString TemplateRangeError(const TPrintTemplate& tpl, bool fontSizeRequired);

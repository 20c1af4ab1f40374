#pragma once
#include "core/TADODB.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QSqlRecord;
class TEnterChain;
class TPrintTemplate;

// A line in the program's log; a log that cannot be written is not an issuing failure.

// An amount as the clerk may write it: optional sign, digits, at most one '.', nothing else
// (the C locale, whatever the user's). Blanks around it are ignored; nullopt otherwise.
std::optional<double> ParseAmount(const QString& text);
// Whether the amount key filter lets key (the typed character) into an edit holding text.
// Backspace, digits and one '.' pass; '-' passes too when allowMinus.
bool AmountKeyAccepted(const QString& text, QChar key, bool allowMinus);

// The stored half of issuing, inside the caller's transaction: the SaleDetail row and the
// roll's advance. Raises EDatabaseError, also when not exactly one roll moved on.
void StoreIssuedInvoice(const TParams& row);
// Rows of SaleDetail with this code and number, whatever their state; raises EDatabaseError.
int CountIssued(const QString& code, const QString& number);
// The same count with its statement prepared once, for a run of numbers.
class TIssuedCounter {
public:
    TIssuedCounter();  // raises EDatabaseError
    int Count(const QString& code, const QString& number);

private:
    QSqlQuery m_query;
};

// The on-screen image of the invoice: entry, checks, totals, display of a stored invoice and
// the issuing transaction (SaveAndPrint lives in TframeInputSave.cpp).
class TframeInput : public QWidget {
    Q_OBJECT
public:
    explicit TframeInput(QWidget* parent = nullptr);

    // 0: single invoice, every field cleared and editable for each new invoice; 1: batch, the
    // fields shared by all cars of one sale stay filled and read-only. Set by the host.
    int FMode = 0;

    QLabel* stYear;
    QLabel* stMonth;
    QLabel* stDay;
    QLabel* stFPDM;
    QLabel* stFPHM;
    QLabel* stSYFS;
    QLineEdit* edtGHDW;
    QLineEdit* edtGHDWID;
    QComboBox* cmbCLLX;
    QComboBox* cmbCPXH;
    QLineEdit* edtCD;
    QLineEdit* edtHGZHM;
    QLineEdit* edtJKZMHM;
    QLineEdit* edtSJDHM;
    QComboBox* edtFDJH;
    QLineEdit* edtCJHM;
    QLabel* stSL;
    QLineEdit* edtDJ;
    QLineEdit* edtHTDH;
    QLineEdit* edtJWFY1;
    QLineEdit* edtJWFY2;
    QLineEdit* edtJWFY3;
    QLineEdit* edtJWJE1;
    QLineEdit* edtJWJE2;
    QLineEdit* edtJWJE3;
    QLabel* stJFJEDX;
    QLabel* stJFJE;
    QLabel* stXHDW;
    QLabel* stDZ;
    QLabel* stDH;
    QLabel* stSH;
    QLabel* stBank;
    QLabel* stZH;
    QLabel* stKPR;
    QLineEdit* edtSKR;
    QLineEdit* edtYSFPDM;  // hidden: the invoice a negative invoice reverses
    QLineEdit* edtYSFPHM;
    QLineEdit* edtSCCJ;  // hidden: maker of the chosen model

    // Prepares the next invoice: date, seller, lists, fields by FMode, the current invoice from
    // stock. False (after its warning) when there is no blank invoice left.
    bool InitInvoice();
    // All of InitInvoice but the stock: enough for showing a stored invoice.
    void PrepareInvoice();
    // The checks before issuing an invoice of state Kind ("0" normal, "2" negative); false after
    // the first failure's warning, with the focus on the field. May make the price negative.
    // Database errors raise EDatabaseError.
    bool CheckInput(const QString& Kind);
    // Stores, takes from stock and prints the invoice in one transaction (TframeInputSave.cpp).
    bool SaveAndPrint(const QString& Kind);
    void FillPrintValues(TPrintTemplate& Tpl);
    void CalcTotal();
    // Shows a stored SaleDetail row. Raises EDatabaseError for a missing column and
    // EConvertError for an issue date, code or number that cannot be read.
    void LoadFromDataSet(const QSqlRecord& DataSet);
    // False makes the 19 entry controls read-only (not disabled: their values stay readable and
    // selectable); true makes them editable and enabled again.
    void SetInputEnabled(bool Value);
    void FillCarTypes();
    void FillModels();
    void cmbCPXHChange();

    // Lookups in SaleDetail. InvoiceExists and CountInvoices keep the first row they found in
    // FoundRow (empty when none); all but CountInvoices raise EDatabaseError.
    bool EngineNoInUse(const QString& EngineNo, const QString& Kind);
    bool VinInUse(const QString& Vin, const QString& Kind);
    bool InvoiceExists(const QString& No, const QString& Code, const QString& State);
    int CountInvoices(const QString& No, const QString& Code);
    // A negative invoice reverses number No of code Code, or No without a code.
    bool IsReversed(const QString& No, const QString& Code);
    const QSqlRecord& FoundRow() const { return m_found; }

    // Key filter of the four amount edits; true discards the key. A host may replace it.
    bool ConfirmInput(QLineEdit* edit, QKeyEvent* key);
    void SetAmountKeyFilter(std::function<bool(QLineEdit*, QKeyEvent*)> filter);
    void edtDJChange();
    void edtJWJE1Change();
    void edtJWJE2Change();
    void edtJWJE3Change();
    void edtDJExit();
    void edtJWJE1Exit();
    void edtJWJE2Exit();
    void edtJWJE3Exit();

    void btnPrintClick();
    void btnAddClick();

    // The parameters of the SaleDetail row for issuing this invoice as Kind at moment at;
    // raises EConvertError for an amount that is not a number.
    TParams SaleRow(const QString& Kind, const QDateTime& at) const;
    // The 19 entry controls in Enter order.
    QList<QWidget*> EntryControls() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    // Every edit as wide as its longest value.
    void ReserveRoomForLongestValues();
    void ShowDate(const QDate& day);
    void SetEntryReadOnly(bool readOnly);
    void ReformatAmount(QLineEdit* edit);
    bool IsAmountEdit(QObject* o) const;

    TEnterChain* m_enterChain = nullptr;  // Enter moves to the next entry control
    QSqlRecord m_found;                   // the first row of the last lookup
    std::function<bool(QLineEdit*, QKeyEvent*)> m_amountKeyFilter;
};

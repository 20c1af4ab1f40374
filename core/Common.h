#pragma once
#include "MyType.h"

#include <memory>

class TADODB;

// Reference data into the context. LoadBaseInfo reads the row with the lowest id and never
// raises; LoadCarTypes and LoadModels raise EDatabaseError.
bool LoadBaseInfo(TADODB& database, TBaseInfo& record);
void LoadCarTypes(TADODB& database, QStringList& list);
void LoadModels(TADODB& database, TModelList& list);

// The login password; the initial one when it cannot be read or no row holds one.
bool LoadPassword(QString& password);
bool SavePassword(const QString& newPassword);

// The current invoice of this invoicing point (opens the oldest received roll when no opened
// roll has copies left). False with the record untouched when there is none; failure then
// receives the database's reason when it was the database that failed (empty for no stock).
bool GetCurInvoice(TCurFPInfo& record, QString* failure = nullptr);
// What the box says when GetCurInvoice failed: "取当前发票号码错误,..." and, where the database
// cannot be written (so that a received roll cannot be opened), "数据库文件只读：<file>" as its
// second line. A database failure is written to the log.
QString CurInvoiceErrorText(const QString& failure);

// Records that number of code has been used: the roll of this point that holds it moves to
// the next number (never past its last) and loses one copy. Returns the number of rolls
// changed; raises EConvertError or EDatabaseError.
int AdvanceInvoiceNo(const QString& number, const QString& code);

// AdvanceInvoiceNo with its statements prepared once, for a run of numbers on the context's
// connection.
class TInvoiceAdvance {
public:
    TInvoiceAdvance();  // raises EDatabaseError
    ~TInvoiceAdvance();
    TInvoiceAdvance(const TInvoiceAdvance&) = delete;
    TInvoiceAdvance& operator=(const TInvoiceAdvance&) = delete;
    int Advance(const QString& number, const QString& code);

private:
    struct TData;
    std::unique_ptr<TData> d;
};

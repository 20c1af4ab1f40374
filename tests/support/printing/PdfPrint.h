#pragma once
#include <QString>
#include <QTemporaryDir>

class TPrintTemplate;

// Sends the prints of its lifetime into a PDF file of its own (TALLYRA_PRINT_PDF).
class TPdfPrint {
public:
    TPdfPrint();
    ~TPdfPrint();
    QString File() const { return m_file; }

private:
    QTemporaryDir m_dir;
    QString m_file;
};

// The default template the program ships (resources/PrintTemplate.xml).
TPrintTemplate DefaultTemplate();
// Values of one invoice, as the issuing code fills them; the engine number is "无" (Null)
// and the third charge is empty.
void FillInvoice(TPrintTemplate& tpl);

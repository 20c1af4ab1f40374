#pragma once
#include "core/Errors.h"

#include <QPoint>
#include <QString>

class TPrintTemplate;

// The printer cannot be used (none installed, or it refused the job).
class EPrintError : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// Prints every item with a value at its position plus the offsets (mm), as one job on the
// default printer, or into the PDF named by TALLYRA_PRINT_PDF. False when the job could not be
// started or failed on the way (no printer, painter not started, printer error); a started
// job is then aborted. error receives a short reason.
bool PrintInvoice(const TPrintTemplate& tpl, int offX, int offY, QString* error = nullptr);
// The same with every item's display name in place of its value.
bool PrintTestPage(const TPrintTemplate& tpl, int offX, int offY, QString* error = nullptr);
// Why tpl cannot be printed with these offsets (mm, from "Corvane.ini"): an offset beyond plus
// or minus the template's page, or a value of the template out of TemplateRangeError's range.
// Empty when it can. PrintInvoice and PrintTestPage refuse such a job before it starts; the
// issuing asks first, before anything is stored.
QString PrintRangeError(const TPrintTemplate& tpl, int offX, int offY);
// The printable page of the default printer in device pixels; raises EPrintError when there
// is no printer.
QPoint GetPrinterPageSize();

// Start-up wiring: the template store the core's start-up uses, and the font substitutions.
void InstallPrintTemplateStore();
void InstallFontSubstitutions();

#pragma once
#include <QString>

// Registers the blank numbers first .. first+count-1 of code as never issued, in state ("1"
// voided, "3" handed back, "4" lost): a SaleDetail row each with the date, code, number, state,
// the seller and the point, and the roll moved past each number. The run is stored whole in one
// transaction or not at all: a number already stored under the code (in any state, of any
// point), a number no roll of this point takes, or any database error raises ETallyraError with
// the reason, and nothing of the run stays.
void StoreBlankRun(const QString& code, const QString& first, int count, const QString& state);

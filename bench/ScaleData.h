// A large dealer's database for the benchmarks at scale, generated once and kept on disk.
//
// Ten invoicing points ("开票点00" the head point, "开票点01".."开票点09"), twelve months from
// 2025-03 to 2026-02 (the clock stands in 2026-03), invoices in all five states:
//   - 2026-02, the 10k month: 1,000 invoices of each point, 20 in each of its 50 statement ranges
//     (25 opening ranges in qmkc without a code, 25 rolls received in the month);
//   - 2026-01, the 50k month: 20,000 of 开票点01, 30,000 of the others;
//   - at 1,000,000 only: 100,000 of 开票点02 in 2025-12;
//   - the rest spread evenly over the other months and points.
// One code per point and month, numbered from 1 in issue order; 20,000 rolls at 1,000,000 (2,000
// at 100,000), used up except each point's open roll of 100,000 numbers, ten unopened spare
// rolls and the statement month's rolls.
#pragma once
#include <QString>

namespace scale {
const QString kHead = QStringLiteral("开票点00");
QString Point(int p);
QString Code(int point, int monthIndex);  // monthIndex 0 = 2025-03 .. 11 = 2026-02
QString MonthKey(int monthIndex);

constexpr int kPoints = 10;
constexpr int kMonths = 12;
constexpr int kListMonth = 11;      // 2026-02, the 10k month
constexpr int kBusyMonth = 10;      // 2026-01, the 50k month
constexpr int kBigExportMonth = 9;  // 2025-12: 100,000 of 开票点02 at 1,000,000
constexpr int kOpenRollNumbers = 100000;

// Invoices of one point in one month at the given size.
int InvoicesOf(int size, int point, int monthIndex);

// The database file of that size, generated when no file of this generator version and schema
// is cached yet. The cache folder is $TALLYRA_SCALE_CACHE, else scale-data/ beside the program.
QString CachedDatabase(int size);
}  // namespace scale

#pragma once
#include "IssuingTestData.h"
#include "MainWindowTest.h"

#include <QStringList>
#include <functional>

class QTableView;

// The management and query windows as the clerk opens them: a main window over a program folder
// of the head point "总部" with the two car types and models of SeedIssuing.
class ManagementTest : public TMainWindowTest {
protected:
    // Seeds the company (and roll when not empty: first-last of kCode, received 2026-03-01),
    // then starts the context and the main window.
    void Start(const QString& rollFirst = QStringLiteral("00001001"), const QString& rollLast = QStringLiteral("00001050"));

    // An issued invoice row of kCode (state, point and frame number as given).
    static void AddSale(const QString& number, const QString& state, const QString& issued,
                        const QString& point = QStringLiteral("总部"), const QVariant& vin = QStringLiteral("LVIN0001"),
                        const QString& buyer = QStringLiteral("深圳某某公司"));
    // Every row of SaleDetail and fpkcxx, for comparing before and after.
    static QString Snapshot();
    static QString Roll();  // "dqhm/syfs" of the first roll
    // Clicks a grid row as the clerk does (with Ctrl: adds it to the selection).
    static void ClickRow(QTableView* grid, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The texts of a grid row's cells and one of its colours (Qt::BackgroundRole, ForegroundRole).
    static QStringList RowTexts(QTableView* grid, int row);
    static QStringList Column(QTableView* grid, int column);
    static QString RowColour(QTableView* grid, int row, int role);
};

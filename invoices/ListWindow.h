#pragma once
#include "ListGrid.h"

#include <QWidget>
#include <vector>

class QBoxLayout;
class QDateEdit;
class QLabel;
class QTableView;

// What the list windows share: the range of days, the grid over the window's own query with
// the count line below it, the first day focused when shown, the closing line in the log.
class TListWindow : public QWidget {
    Q_OBJECT
public:
    QDateEdit* dtpStart;
    QDateEdit* dtpEnd;
    QTableView* dbgSale;
    QLabel* Panel3;

    virtual void FormShow() = 0;
    void FormClose();
    void FormDestroy();

protected:
    struct TKind {
        QString caption;
        QString name;  // objectName
        QSize minimumSize;
        QString dateFormat;
        QString closeLine;
        QList<TGridColumn> columns;
        bool multiSelect;
    };
    TListWindow(const TKind& kind, QWidget* parent);
    ~TListWindow() override;

    TListModel* List() const { return m_list; }
    // The filters and buttons go above the grid.
    QBoxLayout* TopBar() const { return m_top; }
    // The first day of the current month to today.
    void ShowThisMonth();
    // The detail view of the grid's current row; nothing without a row.
    void ShowCurrentInvoice();
    // After each query: every column as wide as the widest text of the rows in view, its title
    // the least and a third of the grid the most (a cut text shows whole in its tooltip).
    // Rows that come into view later widen their columns; the next query starts anew.
    void FitColumnsToRowsShown();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void WidenToRowsInView(bool fresh = false);

    QString m_closeLine;
    std::vector<int> m_widest;  // per column, the widest text of the rows in view since the query
    bool m_fitRowsShown = false;
    TListModel* m_list;
    QBoxLayout* m_top;
    bool m_shown = false;
};

QDateEdit* NewDatePicker(const char* name, const QString& format);

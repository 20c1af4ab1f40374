#pragma once
#include <QTableView>
#include <QVariant>
#include <functional>

class QSqlTableModel;

// A grid over one table whose edits go through TGridTable.
class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);
    using QTableView::edit;
    // Hands what an open cell editor holds to the model and closes the editor.
    void CommitEdit();

signals:
    void EditStarted(const QModelIndex& index);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
};

// One database table edited row by row, as the clerk expects of a data grid: a row being edited
// or inserted is checked and stored before the cursor leaves it, a store that the checks refuse
// keeps the row in editing, and nothing else is stored.
class TGridTable : public QObject {
    Q_OBJECT
public:
    enum class TState { Browse, Edit, Insert };

    // keyField: the table's integer key, in whose order the rows are shown.
    TGridTable(const QString& table, const QString& keyField, TDBGrid* grid, QObject* parent);

    // The table events; a check returning false aborts silently.
    std::function<void()> BeforeInsert;
    std::function<void()> AfterInsert;
    std::function<bool()> BeforePost;
    std::function<void()> AfterPost;
    std::function<bool()> BeforeDelete;

    // Reads the table over the shared connection; raises EDatabaseError.
    void Open();
    QSqlTableModel* Model() const { return m_model; }
    TDBGrid* Grid() const { return m_grid; }

    int RecNo() const { return m_row; }  // -1 when the table has no row
    int RecordCount() const;
    bool Bof() const { return m_row <= 0; }
    bool Eof() const { return m_row < 0 || m_row >= RecordCount() - 1; }
    TState State() const { return m_state; }

    void First() { MoveTo(0); }
    void Prior();
    void Next();
    void Last() { MoveTo(RecordCount() - 1); }
    void Insert();
    void Edit();
    bool Post();  // false when refused or failed; the row then stays in editing
    void Cancel();
    void Delete();

    QVariant FieldValue(const QString& field) const;  // of the current row
    void SetFieldValue(const QString& field, const QVariant& value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool MoveTo(int row);  // stores the row being edited first
    void ShowRow(int row);
    void FetchAll();
    int FirstVisibleColumn() const;
    void OnCurrentRowChanged(const QModelIndex& current, const QModelIndex& previous);
    void OnDataChanged(const QModelIndex& topLeft);
    int RowOfKey(const QVariant& key) const;

    QSqlTableModel* m_model;
    TDBGrid* m_grid;
    QString m_table;
    QString m_keyField;
    int m_row = -1;
    TState m_state = TState::Browse;
    bool m_syncing = false;  // the table itself moves the grid or writes a field
};

#include "DataGrid.h"

#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TADODB.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlTableModel>

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setDefaultSectionSize(22);
}

void TDBGrid::CommitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    // The editor of the current cell (indexWidget also answers for an open editor).
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool TDBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool editing = QTableView::edit(index, trigger, event);
    if (editing && state() == QAbstractItemView::EditingState)
        emit EditStarted(index);
    return editing;
}

TGridTable::TGridTable(const QString& table, const QString& keyField, TDBGrid* grid, QObject* parent)
    : QObject(parent), m_grid(grid), m_table(table), m_keyField(keyField)
{
    m_model = new QSqlTableModel(this, DataBase ? DataBase->Connection() : QSqlDatabase());
    m_model->setEditStrategy(QSqlTableModel::OnManualSubmit);
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex&) { OnDataChanged(topLeft); });
    m_grid->installEventFilter(this);
    // Starting to type into a cell of the current row puts it into editing.
    connect(m_grid, &TDBGrid::EditStarted, this, [this](const QModelIndex& index) { OnDataChanged(index); });
}

void TGridTable::Open()
{
    m_model->setTable(m_table);
    m_model->setSort(m_model->fieldIndex(m_keyField), Qt::AscendingOrder);
    if (!m_model->select())
        throw EDatabaseError(m_model->lastError().text());
    FetchAll();
    if (!m_grid->model()) {
        m_grid->setModel(m_model);
        connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TGridTable::OnCurrentRowChanged);
    }
    m_state = TState::Browse;
    ShowRow(RecordCount() > 0 ? 0 : -1);
}

void TGridTable::FetchAll()
{
    while (m_model->canFetchMore())
        m_model->fetchMore();
}

int TGridTable::RecordCount() const { return m_model->rowCount(); }

int TGridTable::FirstVisibleColumn() const
{
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (!m_grid->isColumnHidden(c))
            return c;
    return 0;
}

void TGridTable::ShowRow(int row)
{
    m_row = row;
    m_syncing = true;
    if (row < 0) {
        m_grid->selectionModel()->clearCurrentIndex();
    } else {
        const int column = m_grid->currentIndex().isValid() && !m_grid->isColumnHidden(m_grid->currentIndex().column())
                               ? m_grid->currentIndex().column()
                               : FirstVisibleColumn();
        const QModelIndex index = m_model->index(row, column);
        m_grid->setCurrentIndex(index);
        m_grid->scrollTo(index);
    }
    m_syncing = false;
}

bool TGridTable::MoveTo(int row)
{
    if (row < 0 || row >= RecordCount())
        return false;
    if (m_state != TState::Browse) {
        // Moving stores the row being edited first, as the grid does; an inserted row may move.
        if (!Post())
            return false;
        if (row >= RecordCount())
            row = RecordCount() - 1;
    }
    ShowRow(row);
    return true;
}

void TGridTable::Prior()
{
    if (!Bof())
        MoveTo(m_row - 1);
}

void TGridTable::Next()
{
    if (!Eof())
        MoveTo(m_row + 1);
}

void TGridTable::Insert()
{
    if (m_state != TState::Browse && !Post())
        return;
    if (BeforeInsert)
        BeforeInsert();
    const int row = RecordCount();
    m_syncing = true;
    m_model->insertRow(row);
    m_syncing = false;
    m_state = TState::Insert;
    ShowRow(row);
    if (AfterInsert)
        AfterInsert();
}

void TGridTable::Edit()
{
    if (m_row < 0 || m_state != TState::Browse)
        return;
    m_state = TState::Edit;
}

bool TGridTable::Post()
{
    m_grid->CommitEdit();
    if (m_state == TState::Browse)
        return true;
    if (BeforePost && !BeforePost())
        return false;
    const bool inserting = m_state == TState::Insert;
    const QVariant key = FieldValue(m_keyField);
    if (!m_model->submitAll()) {
        // The row keeps its typed values and stays in editing.
        ShowError(m_model->lastError().text());
        return false;
    }
    FetchAll();
    m_state = TState::Browse;
    ShowRow(inserting ? RecordCount() - 1 : RowOfKey(key));
    if (AfterPost)
        AfterPost();
    return true;
}

void TGridTable::Cancel()
{
    m_grid->CommitEdit();
    if (m_state == TState::Browse)
        return;
    const bool inserting = m_state == TState::Insert;
    m_syncing = true;
    m_model->revertAll();
    m_syncing = false;
    m_state = TState::Browse;
    const int count = RecordCount();
    ShowRow(count == 0 ? -1 : inserting ? count - 1 : std::min(m_row, count - 1));
}

void TGridTable::Delete()
{
    if (m_state == TState::Insert) {
        Cancel();
        return;
    }
    if (m_state == TState::Edit && !Post())
        return;
    if (m_row < 0)
        return;
    if (BeforeDelete && !BeforeDelete())
        return;
    const int row = m_row;
    m_model->removeRow(row);
    if (!m_model->submitAll()) {
        ShowError(m_model->lastError().text());
        m_model->revertAll();
    }
    FetchAll();
    const int count = RecordCount();
    ShowRow(count == 0 ? -1 : std::min(row, count - 1));
}

QVariant TGridTable::FieldValue(const QString& field) const
{
    if (m_row < 0)
        return {};
    return m_model->data(m_model->index(m_row, m_model->fieldIndex(field)), Qt::EditRole);
}

void TGridTable::SetFieldValue(const QString& field, const QVariant& value)
{
    if (m_row < 0)
        return;
    m_model->setData(m_model->index(m_row, m_model->fieldIndex(field)), value, Qt::EditRole);
}

int TGridTable::RowOfKey(const QVariant& key) const
{
    const int column = m_model->fieldIndex(m_keyField);
    for (int r = 0; r < RecordCount(); ++r)
        if (m_model->data(m_model->index(r, column)) == key)
            return r;
    return RecordCount() > 0 ? 0 : -1;
}

void TGridTable::OnCurrentRowChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_syncing)
        return;
    const int row = current.isValid() ? current.row() : -1;
    if (row == m_row)
        return;
    if (m_state != TState::Browse && previous.isValid() && previous.row() == m_row) {
        // The clerk moved off the row in the grid: store it, or keep the cursor on it.
        m_syncing = true;
        const bool stored = Post();
        m_syncing = false;
        if (!stored) {
            ShowRow(m_row);
            return;
        }
        // Storing may have moved rows; keep the clerk's choice where it still exists.
        ShowRow(std::min(row, RecordCount() - 1));
        return;
    }
    m_row = row;
}

void TGridTable::OnDataChanged(const QModelIndex& topLeft)
{
    if (m_syncing || m_state != TState::Browse)
        return;
    // Typing into a cell of the current row puts it into editing.
    if (topLeft.row() == m_row)
        m_state = TState::Edit;
}

bool TGridTable::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_grid || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier && (m_row < 0 || m_row == RecordCount() - 1)) {
        Insert();  // moving down from the last row appends one, as in any data grid
        return true;
    }
    if (key->key() == Qt::Key_Insert && key->modifiers() == Qt::NoModifier) {
        Insert();
        return true;
    }
    if (key->key() == Qt::Key_Escape && m_state != TState::Browse) {
        Cancel();
        return true;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
        if (m_row >= 0 && AskYesNo(QStringLiteral("删除一行?")))
            Delete();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

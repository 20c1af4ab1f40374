#pragma once
#include "TWorkbook.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QTableView>

// The first sheet of a workbook as a table model: a cell's text, font and alignment, and its
// borders under BordersRole (TSheetModel::Left | Top | Right | Bottom). Cells are read from the
// sheet as the view asks for them.
class TSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum { BordersRole = Qt::UserRole + 1 };
    enum TBorder { Left = 1, Top = 2, Right = 4, Bottom = 8 };

    explicit TSheetModel(QObject* parent = nullptr);
    void SetSheet(TSheetReader sheet);
    const TSheetContent& Frame() const { return m_sheet.Frame(); }
    static QFont FontOf(const TCellLook& look);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    TSheetReader m_sheet;
};

// Borders of a cell in the bits of TSheetModel::TBorder.
int BorderBits(const TCellLook& look);
// A column width in characters as pixels at 96 dots an inch (seven a character and the cell's
// margins, as a spreadsheet's default font measures it); 0 for a hidden column.
int ColumnPixels(double characters);
// Alignment of a cell's text: general puts numbers right and everything else left.
Qt::Alignment AlignmentOf(const TCellLook& look, TCellKind kind);

// Shows the first sheet of a workbook file, read-only: column widths, row heights, merged
// cells, fonts, alignment and borders. A file that cannot be read shows why in its place.
class TSheetView : public QTableView {
    Q_OBJECT
public:
    explicit TSheetView(QWidget* parent = nullptr);

    // False when the file cannot be read; the view then shows the reason.
    bool LoadFile(const QString& file);
    void Clear();
    QString FileName() const { return m_file; }
    QString ErrorText() const { return m_error; }
    TSheetModel* SheetModel() const { return m_model; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyLayout();

    TSheetModel* m_model;
    QString m_file;
    QString m_error;
};

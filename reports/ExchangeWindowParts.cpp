#include "ExchangeWindowParts.h"

#include "widgets/WindowHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

void PrepareListWindow(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setFont(SongFont(14));
    window->setMinimumSize(760, 420);
    window->resize(900, 600);
}

void LayOutBar(QWidget* bar, const QList<QWidget*>& widgets, QWidget* stretch)
{
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 6, 8, 6);
    for (QWidget* w : widgets)
        row->addWidget(w, w == stretch ? 1 : 0);
}

QTableView* NewListGrid(QWidget* parent, QAbstractItemModel* model)
{
    auto* grid = new QTableView(parent);
    grid->setObjectName(QStringLiteral("dbgSale"));
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // Dates, codes and numbers shown whole, measured on the first hundred rows (Qt's own measure
    // of a thousand rows takes a tenth of a second on a long list).
    grid->horizontalHeader()->setResizeContentsPrecision(100);
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, [grid] { grid->resizeColumnsToContents(); });
    return grid;
}

namespace {
QString& LastExchangeFolder()
{
    static QString folder;
    return folder;
}
}  // namespace

QString ExchangeFolder() { return LastExchangeFolder().isEmpty() ? QDir::homePath() : LastExchangeFolder(); }

void RememberExchangeFolder(const QString& file) { LastExchangeFolder() = QFileInfo(file).absolutePath(); }

void StackBarAndPanel(QWidget* window, QWidget* bar, QWidget* panel)
{
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(panel, 1);
}

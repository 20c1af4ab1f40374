#pragma once
#include <QList>
#include <QString>

class QAbstractItemModel;
class QTableView;
class QWidget;

// What the export and import windows of the exchange lists are built from.

// A work window of a list: freed when closed, its font and sizes.
void PrepareListWindow(QWidget* window);

// The bar's widgets in a row, stretch taking the room that is left.
void LayOutBar(QWidget* bar, const QList<QWidget*>& widgets, QWidget* stretch);
// The grid of a list: whole rows selected, several at once, nothing edited, titles centred.
QTableView* NewListGrid(QWidget* parent, QAbstractItemModel* model);
// Where the file dialogs of the lists open: the folder of the last list file chosen, else the
// home folder (the branch's lists travel together on one medium).
QString ExchangeFolder();
void RememberExchangeFolder(const QString& file);
// The window: the bar on top, the panel below it taking the rest.
void StackBarAndPanel(QWidget* window, QWidget* bar, QWidget* panel);

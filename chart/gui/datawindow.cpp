#include "datawindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

TDataWindow::TDataWindow(QWidget *parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("DataWindow"));
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    title = new QLabel(body);
    table = new QTableWidget(0, 2, body);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(title);
    layout->addWidget(table);
    setWidget(body);
}

void TDataWindow::ShowRows(const QString &chartTitle, const std::vector<std::pair<QString, QString>> &rows)
{
    title->setText(chartTitle);
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const auto &[name, value] = rows[size_t(r)];
        for (int c = 0; c < 2; ++c) {
            QTableWidgetItem *item = table->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                table->setItem(r, c, item);
            }
            item->setText(c == 0 ? name : value);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    table->resizeColumnToContents(0);
}

void TDataWindow::Clear()
{
    title->clear();
    table->setRowCount(0);
}

QString TDataWindow::ValueOf(const QString &name) const
{
    for (int r = 0; r < table->rowCount(); ++r)
        if (table->item(r, 0) && table->item(r, 0)->text() == name)
            return table->item(r, 1) ? table->item(r, 1)->text() : QString();
    return QString();
}

int TDataWindow::RowCount() const { return table->rowCount(); }

QString TDataWindow::ChartTitle() const { return title->text(); }

#pragma once

#include <utility>
#include <vector>

#include <QDockWidget>

class QLabel;
class QTableWidget;

// The dockable data window: for the bar under a chart's crosshair (or the
// newest bar when the mouse is elsewhere) the time, the prices and every
// indicator line of that chart, one name and value per row.
class TDataWindow : public QDockWidget {
    Q_OBJECT
public:
    explicit TDataWindow(QWidget *parent = nullptr);

    void ShowRows(const QString &chartTitle, const std::vector<std::pair<QString, QString>> &rows);
    void Clear();
    // The value shown for a name (empty when there is no such row).
    QString ValueOf(const QString &name) const;
    int RowCount() const;
    QString ChartTitle() const;

private:
    QLabel *title;
    QTableWidget *table;
};

#pragma once

#include <memory>

#include <QImage>
#include <QWidget>

#include "chartpanel.h"

class QScrollBar;

// The widget that shows a chart panel: the chart painted once into a cached
// image (rebuilt only when the model or the size changed), the transient
// overlay drawn inverted over it on every paint, the scroll bar along the
// bottom, and the mouse, keyboard and wheel handed to the model.
class TChartPanelWidget : public QWidget {
    Q_OBJECT
public:
    explicit TChartPanelWidget(std::unique_ptr<TChartPanel> panel, QWidget *parent = nullptr);
    ~TChartPanelWidget() override;

    TChartPanel &Panel() const { return *panel; }
    QScrollBar *ScrollBar() const { return scrollBar; }
    // The chart as the screen shows it, without the overlay.
    QImage ChartImage();
    // Recalculate, lay out and repaint (on every change of the series).
    void Refresh();

signals:
    // The crosshair moved, appeared or went (see TChartPanel::OnCrosshair).
    void crosshairChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void layoutChildren();
    void mirrorScrollBar();
    void afterMouse();
    void updateCache();

    std::unique_ptr<TChartPanel> panel;
    QScrollBar *scrollBar;
    QImage cache;
    quint64 cacheRevision = 0;
    QString shownHint;
};

// The crosshair mode of the charts and the data window that follows it.
#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "chartpanel.h"
#include "chartpanelwidget.h"
#include "datawindow.h"
#include "mainform.h"
#include "serdata.h"

void TMainForm::buildCrosshair()
{
    ACrosshair = extraAction(QStringLiteral("ACrosshair"), TExtraText::Crosshair, QKeySequence(Qt::CTRL | Qt::Key_F));
    ACrosshair->setCheckable(true);
    connect(ACrosshair, &QAction::toggled, this, [this](bool on) {
        chartContext.Crosshair = on;  // for the windows opened later
        for (TMChart *chart : Charts())
            chart->Panel()->SetCrosshair(on);
    });

    DataWindow = new TDataWindow(this);
    DataWindow->setWindowTitle(ExtraText(TExtraText::DataWindow));
    addDockWidget(Qt::RightDockWidgetArea, DataWindow);
    DataWindow->hide();
    AViewDataWindow = DataWindow->toggleViewAction();
    AViewDataWindow->setObjectName(QStringLiteral("AViewDataWindow"));
    connect(DataWindow, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown)
            UpdateDataWindow(ActiveChart());
    });
    chartContext.CrosshairMoved = [this](TMChart *chart) { UpdateDataWindow(chart); };
    connect(mdi, &QMdiArea::subWindowActivated, this, [this] { UpdateDataWindow(ActiveChart()); });
}

void TMainForm::UpdateDataWindow(TMChart *chart)
{
    if (!DataWindow || DataWindow->isHidden())
        return;
    const TChartPanel *panel = chart ? chart->Panel() : nullptr;
    if (!panel || !panel->Series()) {
        DataWindow->Clear();
        return;
    }
    // Off the chart: the newest bar.
    const int bar = panel->CrosshairShown() ? panel->CrosshairBar() : panel->Series()->Last;
    DataWindow->ShowRows(chart->windowTitle(), panel->DataAt(bar));
}

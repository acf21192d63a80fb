// The main window's side of the charts: the chart tools of the toolbar, the
// chart windows opened from the quotes window, their refresh when a series
// changes, and their placement at close.
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>
#include <QToolBar>

#include "catalogue.h"
#include "chartpanel.h"
#include "chartpanelwidget.h"
#include "clientsession.h"
#include "clientstate.h"
#include "datawindow.h"
#include "extratexts.h"
#include "mainform.h"
#include "mainindicator.h"
#include "mchart.h"
#include "otherindicator.h"
#include "patternstore.h"
#include "pendingslot.h"
#include "serieslist.h"
#include "shelllog.h"
#include "translateform.h"
#include "itemfactory.h"

QString TMainForm::PatternFile() const
{
    return QFileInfo(paths.IniFile).absoluteDir().filePath(QStringLiteral("kelvra.pat"));
}

void TMainForm::buildChartTools()
{
    // The styles saved as defaults for new elements: read once at start,
    // written back at close (see closeCharts).
    TPatternMenager::Instance().Clear();
    TPatternMenager::Instance().LoadFile(PatternFile());
    chartContext.Series = series.get();
    chartContext.Ini = &ini;
    chartContext.Patterns = &TPatternMenager::Instance();
    chartContext.ShowStatus = [this](const QString &text) { ShowStatus(text); };
    chartContext.ShowError = [this](QWidget *parent, const QString &text) {
        if (ShowError)
            ShowError(text);
        else
            QMessageBox::critical(parent, windowTitle(), text);
    };
    TMainIndicator::SetDefaultServerTime([this] { return qint32(state->Lists().SysVars.ServerTime); });

    alTool = new QActionGroup(this);
    alTool->setExclusive(true);
    const auto tool = [this](TExtraText caption, int code) {
        auto *a = new QAction(this);
        a->setCheckable(true);
        a->setData(code);
        toolCaptions.emplace_back(a, caption);
        alTool->addAction(a);
        connect(a, &QAction::triggered, this, [this, code] { ExecuteTool(code); });
        return a;
    };
    Apointer = tool(TExtraText::ToolPointer, 1);
    AZoomChart = tool(TExtraText::ToolZoom, 2);
    AHLine = tool(TExtraText::ToolHLine, 3);
    AVLine = tool(TExtraText::ToolVLine, 4);
    ALine = tool(TExtraText::ToolLine, 5);
    AfibArc = tool(TExtraText::ToolFibArc, 6);
    AFibFan = tool(TExtraText::ToolFibFan, 7);
    AfibTimeZone = tool(TExtraText::ToolFibTimeZone, 8);
    AfibbLine = tool(TExtraText::ToolFibRetracement, 9);
    Aind = tool(TExtraText::ToolIndicators, 10);
    Apointer->setChecked(true);

    // The indicator tool takes the entry chosen in the list; the shortcuts
    // choose theirs. Only the user's choice counts: filling the list or
    // setting its index from here must not arm the tool.
    cbIndList->addItems(CatalogueLongNames());
    cbIndList->setCurrentIndex(0);
    connect(cbIndList, &QComboBox::activated, this, [this](int n) { ChooseIndicator(n); });
    const auto shortcut = [this](TExtraText caption, int entry) {
        auto *a = new QAction(this);
        toolCaptions.emplace_back(a, caption);
        connect(a, &QAction::triggered, this, [this, entry] { ChooseIndicator(entry); });
        return a;
    };
    Atrix = shortcut(TExtraText::ToolTrix, 2);
    ASar = shortcut(TExtraText::ToolParabolicSar, 1);
    AMAInd = shortcut(TExtraText::ToolMovingAverage, 0);

    const auto zoom = [this](TExtraText caption, bool in) {
        auto *a = new QAction(this);
        toolCaptions.emplace_back(a, caption);
        connect(a, &QAction::triggered, this, [this, in] {
            if (TMChart *chart = ActiveChart())
                in ? chart->Panel()->ZoomIn() : chart->Panel()->ZoomOut();
        });
        return a;
    };
    AZoomIn = zoom(TExtraText::ToolZoomIn, true);
    AZoomOut = zoom(TExtraText::ToolZoomOut, false);

    ChartToolBar = addToolBar(QString());
    QToolBar *tools = ChartToolBar;
    tools->setObjectName(QStringLiteral("alTool"));
    tools->addActions(alTool->actions());
    tools->addActions({Atrix, ASar, AMAInd});
    tools->addSeparator();
    tools->addActions({AZoomIn, AZoomOut, ACrosshair});

    // Placed, dropped or done: the pointer is the tool again.
    TPendingSlot::SetOnEmptied([this] {
        currentTool = 1;  // so the same tool can be chosen again
        if (Apointer)
            Apointer->setChecked(true);
    });
    connect(series.get(), &TSeriesList::seriesChanged, this, [this](uint32_t key) { RefreshCharts(key); });
    connect(series.get(), &TSeriesList::historyStateChanged, this, &TMainForm::historyStateChanged);
    connect(state.get(), &ClientState::instrumentsLoaded, this, [this] { openRequestedChart(); });
    viewActions.OpenChart = [this](int instrumentId, int timeframe) { OpenChart(instrumentId, timeframe); };
    retranslateChartTools();
}

void TMainForm::buildChartPictureAction()
{
    ASaveChartPicture = extraAction(QStringLiteral("ASaveChartPicture"), TExtraText::SaveChartPicture);
    connect(ASaveChartPicture, &QAction::triggered, this, [this] {
        const QString path = ChooseChartPictureFile ? ChooseChartPictureFile() : QString();
        if (!path.isEmpty())
            SaveChartPicture(path);
    });
    ChooseChartPictureFile = [this] {
        QFileDialog sv(this, ExtraText(TExtraText::SaveChartPicture), QDir(ReportFolder()).filePath("chart.png"),
                       QStringLiteral("*.png"));
        sv.setAcceptMode(QFileDialog::AcceptSave);
        sv.setDefaultSuffix(QStringLiteral("png"));
        return sv.exec() == QDialog::Accepted && !sv.selectedFiles().isEmpty() ? sv.selectedFiles().first()
                                                                               : QString();
    };
}

bool TMainForm::SaveChartPicture(const QString &path)
{
    TMChart *chart = ActiveChart();
    if (!chart)
        return false;
    // Written beside and renamed over: an old picture is never left half done.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && chart->PanelWidget()->ChartImage().save(&file, "PNG") && file.commit())
        return true;
    if (ShowError)
        ShowError(ExtraText(TExtraText::CannotWriteFile).arg(QDir::toNativeSeparators(path)));
    return false;
}

void TMainForm::retranslateChartTools()
{
    // The names the toolbars' context menu shows.
    ToolBar1->setWindowTitle(ExtraText(TExtraText::ToolbarMain));
    ChartToolBar->setWindowTitle(ExtraText(TExtraText::ToolbarChart));
    DataWindow->setWindowTitle(ExtraText(TExtraText::DataWindow));
    for (const auto &[action, caption] : toolCaptions)
        action->setText(ExtraText(caption));
    for (TMChart *chart : Charts())
        chart->Retranslate();
}

void TMainForm::ExecuteTool(int code)
{
    if (currentTool == code) {
        // Already the tool: it stays checked and keeps what it holds.
        for (QAction *a : alTool->actions())
            if (a->data().toInt() == code)
                a->setChecked(true);
        return;
    }
    armTool(code);
}

void TMainForm::ChooseIndicator(int n)
{
    if (n < 0 || n >= CatalogueCount)
        return;
    IndicatorIndex = n;
    if (cbIndList->currentIndex() != n)
        cbIndList->setCurrentIndex(n);
    armTool(10);  // a waiting indicator of another entry is replaced
}

void TMainForm::armTool(int code)
{
    QAction *chosen = nullptr;
    for (QAction *a : alTool->actions())
        if (a->data().toInt() == code)
            chosen = a;
    if (!chosen || !chosen->isEnabled())
        return;
    chosen->setChecked(true);
    currentTool = code;
    switch (code) {
    case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: {
        std::unique_ptr<TGraphItem> element = CreateToolElement(code);
        if (element)
            TPatternMenager::Instance().Apply(*element);
        TPendingSlot::Set(std::move(element));
        break;
    }
    case 10: {
        std::unique_ptr<TOtherIndicator> indicator = CreateIndicator(IndicatorIndex);
        if (indicator)
            TPatternMenager::Instance().Apply(*indicator);
        TPendingSlot::Set(std::move(indicator));
        break;
    }
    default:
        TPendingSlot::Clear();
        break;
    }
    // Clearing the slot for the pointer reports it empty, which checks the
    // pointer: the tool of the moment is the one checked now.
    currentTool = TPendingSlot::Empty() ? 1 : code;
    if (currentTool == 1)
        Apointer->setChecked(true);
}

TMChart *TMainForm::OpenChart(int instrumentId, int timeframe)
{
    if (instrumentId <= 0 || timeframe < 1 || timeframe > 6)
        return nullptr;
    TMChart *chart = TMChart::Open(mdi, instrumentId, timeframe, chartContext);
    qCDebug(lcShell) << "chart" << (chart ? chart->windowTitle() : QStringLiteral("not opened"));
    if (chart)
        historyStateChanged(uint32_t(chart->Tag()));  // asked before the window existed
    return chart;
}

void TMainForm::RequestChart(const QString &instrumentName, int timeframe)
{
    requestedCharts.emplace_back(instrumentName, timeframe);
    openRequestedChart();
}

void TMainForm::openRequestedChart()
{
    for (auto it = requestedCharts.begin(); it != requestedCharts.end();) {
        const qint32 id = state->Lists().Instruments.IdByName(it->first);
        if (id <= 0) {
            ++it;
            continue;
        }
        const int timeframe = it->second;
        it = requestedCharts.erase(it);
        OpenChart(id, timeframe);
    }
}

QList<TMChart *> TMainForm::Charts() const { return TMChart::Charts(mdi); }

TMChart *TMainForm::ActiveChart() const
{
    QMdiSubWindow *active = mdi->activeSubWindow();
    return active ? qobject_cast<TMChart *>(active->widget()) : nullptr;
}

void TMainForm::RefreshCharts(uint32_t key)
{
    TMChart *active = ActiveChart();
    for (TMChart *chart : Charts())
        if (uint32_t(chart->Tag()) == key) {
            chart->Refresh();
            if (chart == active)
                UpdateDataWindow(chart);
        }
}

void TMainForm::historyStateChanged(uint32_t key)
{
    for (TMChart *chart : Charts())
        if (uint32_t(chart->Tag()) == key)
            chart->UpdateHistoryNote();
    // The status bar names a series being loaded that a window shows; when
    // none is left, the note it put there goes.
    QString loading;
    for (TMChart *chart : Charts())
        if (chart->Series() && chart->Series()->Ready == 0) {
            loading = ExtraText(TExtraText::HistoryLoadingSeries).arg(chart->windowTitle());
            break;
        }
    const QString shown = session->PanelText(ClientSession::PanelStatus);
    if (!loading.isEmpty())
        ShowStatus(loading);
    else if (shown == historyStatus)
        ShowStatus(QString());
    historyStatus = loading;
}

namespace {
const QString kChartListSection = QStringLiteral("LT1");
} // namespace

void TMainForm::restoreCharts()
{
    for (const auto &[key, value] : ini.SectionValues(kChartListSection))
        if (TMChart *chart = TMChart::Restore(mdi, value, chartContext))
            historyStateChanged(uint32_t(chart->Tag()));
}

void TMainForm::closeCharts(bool savePlacement)
{
    if (savePlacement) {
        if (!TPatternMenager::Instance().SaveFile(PatternFile()))
            qCDebug(lcShell).noquote() << "cannot write" << PatternFile();
        // Under its index among the child windows, the front one 0; from
        // the back to the front, so the front one is opened last next time.
        // Every value is built before the old list goes.
        const QList<QMdiSubWindow *> stacked = mdi->subWindowList(QMdiArea::StackingOrder);
        QList<std::pair<QString, QString>> values;
        for (qsizetype i = 0; i < stacked.size(); ++i)
            if (auto *chart = qobject_cast<TMChart *>(stacked[i]->widget()))
                values.emplace_back(QString::number(stacked.size() - 1 - i), chart->SaveState());
        ini.EraseSection(kChartListSection);
        for (const auto &[key, value] : values)
            ini.WriteString(kChartListSection, key, value);
    }
    // The placement of each goes into the INI before the windows go; the
    // windows go before the series they show.
    for (TMChart *chart : Charts()) {
        if (savePlacement)
            chart->SavePlacement();
        QWidget *frame = chart->Frame();
        delete (frame ? frame : chart);
    }
}

#pragma once

#include <functional>
#include <memory>

#include "frmparam.h"

class QAction;
class QActionGroup;
class QMdiArea;
class QMenu;
class TChartPanel;
class TChartPanelWidget;
class TIniFile;
class TPatternMenager;
class TSerData;
class TSeriesList;

// What a chart window needs of the program.
struct TChartContext {
    TSeriesList *Series = nullptr;
    TIniFile *Ini = nullptr;          // the placement sections live here
    TPatternMenager *Patterns = nullptr;
    // Asks before deleting an element (a confirmation box by default).
    std::function<bool(QWidget *parent, const QString &question)> Confirm;
    // Where a new indicator goes (the placement dialog by default): 0
    // cancelled, 1 left axis, 2 right axis, 3 new area.
    std::function<int(QWidget *parent)> ChoosePlacement;
    // The main window's status text (an indicator that cannot be computed).
    std::function<void(const QString &text)> ShowStatus;
};

// The chart of one instrument at one timeframe, a child window of the main
// window. Tag is the series key; the main window refreshes the windows
// whose Tag is the key of a changed series.
class TMChart : public TFrmParam {
    Q_OBJECT
public:
    TMChart(std::unique_ptr<TCurrencyParam> param, TChartContext context, QWidget *parent = nullptr);
    ~TMChart() override;

    // Brings forward the window of that instrument and timeframe, or opens one.
    static TMChart *Open(QMdiArea *mdi, int instrumentId, int timeframe, const TChartContext &context);
    static QList<TMChart *> Charts(QMdiArea *mdi);

    int Timeframe = 0;
    int InstrumentId = 0;
    QString InstrumentName;
    TSerData *Series() const { return series; }
    TChartPanelWidget *PanelWidget() const { return panelWidget; }
    TChartPanel *Panel() const;

    // The series changed: recalculate, lay out, repaint. Never throws.
    void Refresh();
    // Shows another timeframe in this window (Tag, caption, placement
    // section and series follow); false when another window already shows
    // it (that one is brought forward instead).
    bool SwitchTimeframe(int timeframe);
    // Captions in the current language.
    void Retranslate();

    // The INI section keeping the window's placement: instrument name and
    // timeframe suffix; empty when the name cannot be a section name.
    QString PlacementSection() const;
    void SavePlacement();
    void RestorePlacement();

    QMenu *pm = nullptr;
    QAction *ActionZoomIn, *ActionZoomOut, *ActionViewAsk, *ActionViewBid, *ActionViewAskBid, *ActionViewLast;
    QAction *AShowMinute, *AShow5Minute, *Ashow1hour, *Ashow4hour, *AShowDay, *AShowWeek;
    QAction *ActionToClipBoard;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildActions();
    void updateCaption();
    void updateTimeframeActions();

    TChartContext context;
    TSerData *series = nullptr;
    TChartPanelWidget *panelWidget = nullptr;
    QActionGroup *timeframes = nullptr;
    std::vector<std::pair<QAction *, int>> captions;  // action, language index
};

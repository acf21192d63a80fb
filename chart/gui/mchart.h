#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QByteArrayView>

#include "chartstate.h"
#include "frmparam.h"

class QAction;
class QActionGroup;
class QDialog;
class QLabel;
class QMdiArea;
class QToolButton;
class QMenu;
class TChartPanel;
class TChartPanelWidget;
class TMChart;
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
    // Runs the element properties dialog (exec() by default): what it
    // returns is the dialog's result.
    std::function<int(QDialog &dialog)> RunProperties;
    // An error box (a stored chart that cannot be loaded); a message box by
    // default.
    std::function<void(QWidget *parent, const QString &text)> ShowError;
    // The crosshair of new windows, and where a chart tells that its
    // crosshair moved, appeared or went (the data window follows it).
    bool Crosshair = false;
    std::function<void(TMChart *chart)> CrosshairMoved;
};

// The chart of one instrument at one timeframe, a child window of the main
// window. Tag is the series key; the main window refreshes the windows
// whose Tag is the key of a changed series.
class TMChart : public TFrmParam {
    Q_OBJECT
public:
    // A stored chart record (see chartstate.h) rebuilds the panel; without
    // one the chart starts new.
    TMChart(std::unique_ptr<TCurrencyParam> param, TChartContext context, QWidget *parent = nullptr,
            std::optional<QByteArrayView> record = std::nullopt);
    ~TMChart() override;

    // Brings forward the window of that instrument and timeframe, or opens one.
    static TMChart *Open(QMdiArea *mdi, int instrumentId, int timeframe, const TChartContext &context);
    static QList<TMChart *> Charts(QMdiArea *mdi);

    // The saved state of a chart window as kept in the INI file: 20 bytes of
    // header (Tag, timeframe and instrument at 0, 8 and 12) and the chart
    // record, in the 6-bit text encoding.
    static constexpr size_t StateHeaderSize = 20;
    static constexpr size_t MaxRecordSize = 16 * 1024 * 1024;
    QString SaveState() const;
    // Opens the window a saved state describes; nothing when the text is too
    // short, names no known instrument or a chart already open. A record
    // that does not load leaves the window open and empty, with a message.
    static TMChart *Restore(QMdiArea *mdi, const QString &text, const TChartContext &context);

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
    // The note in the chart's corner: "Loading history…" while the series
    // waits for its history, or why the request failed with a retry button;
    // hidden otherwise. The main window calls it when the state changes.
    void UpdateHistoryNote();
    QLabel *HistoryNote() const { return historyNote; }
    QToolButton *RetryButton() const { return retryButton; }

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
    void loadRecord(std::unique_ptr<TChartPanel> &panel, QByteArrayView record);
    void updateCaption();
    void updateTimeframeActions();

    TChartContext context;
    TChartWindowState storedWindow;
    QString restoreText;  // the value this window was restored from
    TSerData *series = nullptr;
    TChartPanelWidget *panelWidget = nullptr;
    QActionGroup *timeframes = nullptr;
    std::vector<std::pair<QAction *, int>> captions;  // action, language index
    QWidget *historyBox = nullptr;
    QLabel *historyNote = nullptr;
    QToolButton *retryButton = nullptr;
};

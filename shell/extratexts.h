#pragma once

#include <QString>

// Texts of our own in both languages: what the numbered caption and message
// tables do not have. Those tables keep their numbering; new texts are added
// here, each group of ids in its own block.
enum class TExtraText {
    // ---- Trade dialogs: a trade command the dealer does not answer.
    NoAnswerNotice,       // the notice shown in its own window
    NoAnswerStopWaiting,  // its button that gives up waiting
    NoAnswerKeepWaiting,  // its button that goes on waiting
    NoAnswerGivenUp,      // the status text after giving up
    // ---- end of the trade dialogs' block
    // ---- Chart tools of the main window's toolbar.
    ToolPointer,
    ToolZoom,
    ToolHLine,
    ToolVLine,
    ToolLine,
    ToolFibArc,
    ToolFibFan,
    ToolFibTimeZone,
    ToolFibRetracement,
    ToolIndicators,
    ToolZoomIn,
    ToolZoomOut,
    // ---- end of the chart tools' block
    // ---- Indicator shortcuts of the toolbar (catalogue entries preset).
    ToolTrix,
    ToolParabolicSar,
    ToolMovingAverage,
    // ---- end of the indicator shortcuts' block
    // ---- Element properties dialog.
    PropCaption,  // the caption, after the element's name
    PropDefault,
    PropColorStyle,
    PropFrameColor,
    PropBodyColor,
    PropUpPrice,
    PropDownPrice,
    PropStyle,
    PropWeight,
    PropPriceStyle,
    PropBars,
    PropCandleSticks,
    PropLine,  // a price style and a page
    PropPoints,
    PropColor,
    PropGridColor,
    PropShowGrid,
    PropBackgroundColor,
    PropViewYear,
    PropViewTime,
    PropViewDate,
    PropAxisVisible,
    PropShowX,
    PropShowLeftY,
    PropShowRightY,
    PropParameters,
    PropLines,
    PropAdd,
    PropDel,
    PropAxis,
    PropRightAxis,
    PropLeftAxis,
    PropSnap,
    PropRightExtension,
    PropLeftExtension,
    PropShowInAll,
    ColorBlack,  // the colour boxes' names
    ColorMaroon,
    ColorGreen,
    ColorOlive,
    ColorNavy,
    ColorPurple,
    ColorTeal,
    ColorGray,
    ColorSilver,
    ColorRed,
    ColorLime,
    ColorYellow,
    ColorBlue,
    ColorFuchsia,
    ColorAqua,
    ColorWhite,
    ColorCustom,  // opens the colour chooser
    // ---- end of the element properties dialog's block
    // ---- Quotes published to other programs on the desktop.
    QuotesNoBus,        // no session bus: nothing is published
    QuotesNameTaken,    // the service name (%1) cannot be had
    // ---- end of the published quotes' block
    // ---- A server that sends faulty packets.
    ServerErrorMore,     // %1 the error, %2 how many more while its box is open
    ServerErrorsDropped, // too many faults: the connection was dropped
    // ---- end of the faulty server's block
    // ---- Toolbars, as their context menu names them.
    ToolbarMain,
    ToolbarChart,
    // ---- end of the toolbars' block
    // ---- The active chart as a picture.
    SaveChartPicture,       // the File menu's command
    CannotWriteFile,        // %1 the file
    // ---- end of the chart picture's block
    // ---- Keyboard commands for the instrument selected in the quotes window.
    NewDealSelected,
    NewChartSelected,
    // ---- end of the keyboard commands' block
    // ---- The crosshair and the data window.
    Crosshair,
    DataWindow,
    // ---- end of the crosshair's block
    // ---- A chart's history while it is received.
    HistoryLoading,        // the note in the chart's corner
    HistoryLoadingSeries,  // the status bar: %1 the chart's instrument and timeframe
    HistoryFailed,         // %1 why
    HistoryRetry,
    // ---- end of the history block
    // ---- View > Theme.
    Theme,
    ThemeSystem,
    ThemeLight,
    ThemeDark,
    ToolbarTextUnderIcons,
    // ---- end of the theme block
};

// The text in the current interface language (IsEnglish()).
QString ExtraText(TExtraText id);
// The text in the given language.
QString ExtraTextIn(bool english, TExtraText id);

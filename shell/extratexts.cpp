#include "extratexts.h"

#include <string_view>

#include "languagetables.h"

namespace {

struct TExtraEntry {
    std::u16string_view english;
    std::u16string_view russian;
};

// A switch rather than an array: the compiler reports an id without texts.
TExtraEntry entryOf(TExtraText id)
{
    switch (id) {
    // ---- Trade dialogs: a trade command the dealer does not answer.
    case TExtraText::NoAnswerNotice:
        return {u"The dealer has not answered yet.\n\nIf you stop waiting, this window closes; the outcome of "
                u"the command will show in the positions and orders when the dealer reports it.",
                u"Дилер пока не ответил.\n\nЕсли прекратить ожидание, это окно закроется; результат команды "
                u"появится в позициях и ордерах, когда дилер сообщит о нём."};
    case TExtraText::NoAnswerStopWaiting:
        return {u"Stop waiting", u"Не ждать"};
    case TExtraText::NoAnswerKeepWaiting:
        return {u"Keep waiting", u"Ждать дальше"};
    case TExtraText::NoAnswerGivenUp:
        return {u"No answer from the dealer: the outcome will show in the positions and orders",
                u"Дилер не ответил: результат будет виден в позициях и ордерах"};
    // ---- end of the trade dialogs' block
    // ---- Chart tools of the main window's toolbar.
    case TExtraText::ToolPointer:
        return {u"Pointer", u"Указатель"};
    case TExtraText::ToolZoom:
        return {u"Zoom", u"Масштаб"};
    case TExtraText::ToolHLine:
        return {u"Horizontal line", u"Горизонтальная линия"};
    case TExtraText::ToolVLine:
        return {u"Vertical line", u"Вертикальная линия"};
    case TExtraText::ToolLine:
        return {u"Line", u"Линия"};
    case TExtraText::ToolFibArc:
        return {u"Fibonacci arc", u"Дуги Фибоначчи"};
    case TExtraText::ToolFibFan:
        return {u"Fibonacci fan", u"Веер Фибоначчи"};
    case TExtraText::ToolFibTimeZone:
        return {u"Fibonacci time zone", u"Временные зоны Фибоначчи"};
    case TExtraText::ToolFibRetracement:
        return {u"Fibonacci retracement", u"Уровни Фибоначчи"};
    case TExtraText::ToolIndicators:
        return {u"Indicators", u"Индикаторы"};
    case TExtraText::ToolZoomIn:
        return {u"Zoom in", u"Увеличить"};
    case TExtraText::ToolZoomOut:
        return {u"Zoom out", u"Уменьшить"};
    // ---- end of the chart tools' block
    // ---- Indicator shortcuts of the toolbar (catalogue entries preset).
    case TExtraText::ToolTrix:
        return {u"Trix", u"Trix"};
    case TExtraText::ToolParabolicSar:
        return {u"Parabolic SAR", u"Параболик SAR"};
    case TExtraText::ToolMovingAverage:
        return {u"Moving Average", u"Скользящая средняя"};
    // ---- end of the indicator shortcuts' block
    // ---- Element properties dialog.
    case TExtraText::PropCaption:
        return {u"%1 propertes", u"%1: свойства"};
    case TExtraText::PropDefault:
        return {u"Default", u"По умолчанию"};
    case TExtraText::PropColorStyle:
        return {u"Color/Style", u"Цвет/стиль"};
    case TExtraText::PropFrameColor:
        return {u"frame color :", u"цвет рамки :"};
    case TExtraText::PropBodyColor:
        return {u"color :", u"цвет :"};
    case TExtraText::PropUpPrice:
        return {u"Up price", u"Рост цены"};
    case TExtraText::PropDownPrice:
        return {u"Down price", u"Падение цены"};
    case TExtraText::PropStyle:
        return {u"Style :", u"Стиль :"};
    case TExtraText::PropWeight:
        return {u"Weight :", u"Толщина :"};
    case TExtraText::PropPriceStyle:
        return {u"Price style :", u"Вид цены :"};
    case TExtraText::PropBars:
        return {u"Bars", u"Бары"};
    case TExtraText::PropCandleSticks:
        return {u"CandleSticks", u"Свечи"};
    case TExtraText::PropLine:
        return {u"Line", u"Линия"};
    case TExtraText::PropPoints:
        return {u"Points", u"Точки"};
    case TExtraText::PropColor:
        return {u"Color :", u"Цвет :"};
    case TExtraText::PropGridColor:
        return {u"Grid color :", u"Цвет сетки :"};
    case TExtraText::PropShowGrid:
        return {u"Show grid", u"Показывать сетку"};
    case TExtraText::PropBackgroundColor:
        return {u"Background color:", u"Цвет фона:"};
    case TExtraText::PropViewYear:
        return {u"View year", u"Показывать год"};
    case TExtraText::PropViewTime:
        return {u"View time", u"Показывать время"};
    case TExtraText::PropViewDate:
        return {u"View date", u"Показывать дату"};
    case TExtraText::PropAxisVisible:
        return {u"Axis visible", u"Видимость осей"};
    case TExtraText::PropShowX:
        return {u"Show X axis", u"Показывать ось X"};
    case TExtraText::PropShowLeftY:
        return {u"Show left Y axis", u"Показывать левую ось Y"};
    case TExtraText::PropShowRightY:
        return {u"Show right Y axis", u"Показывать правую ось Y"};
    case TExtraText::PropParameters:
        return {u"Parameters", u"Параметры"};
    case TExtraText::PropLines:
        return {u"Lines", u"Уровни"};
    case TExtraText::PropAdd:
        return {u"Add", u"Добавить"};
    case TExtraText::PropDel:
        return {u"Del", u"Удалить"};
    case TExtraText::PropAxis:
        return {u"Axis", u"Ось"};
    case TExtraText::PropRightAxis:
        return {u"Right axis", u"Правая ось"};
    case TExtraText::PropLeftAxis:
        return {u"Left axis", u"Левая ось"};
    case TExtraText::PropSnap:
        return {u"Snap to price", u"Привязка к цене"};
    case TExtraText::PropRightExtension:
        return {u"Right extension", u"Продлить вправо"};
    case TExtraText::PropLeftExtension:
        return {u"Left extension", u"Продлить влево"};
    case TExtraText::PropShowInAll:
        return {u"Show in All Windows", u"Показывать во всех окнах"};
    case TExtraText::ColorBlack:
        return {u"Black", u"Чёрный"};
    case TExtraText::ColorMaroon:
        return {u"Maroon", u"Тёмно-красный"};
    case TExtraText::ColorGreen:
        return {u"Green", u"Зелёный"};
    case TExtraText::ColorOlive:
        return {u"Olive", u"Оливковый"};
    case TExtraText::ColorNavy:
        return {u"Navy", u"Тёмно-синий"};
    case TExtraText::ColorPurple:
        return {u"Purple", u"Фиолетовый"};
    case TExtraText::ColorTeal:
        return {u"Teal", u"Сине-зелёный"};
    case TExtraText::ColorGray:
        return {u"Gray", u"Серый"};
    case TExtraText::ColorSilver:
        return {u"Silver", u"Серебристый"};
    case TExtraText::ColorRed:
        return {u"Red", u"Красный"};
    case TExtraText::ColorLime:
        return {u"Lime", u"Салатовый"};
    case TExtraText::ColorYellow:
        return {u"Yellow", u"Жёлтый"};
    case TExtraText::ColorBlue:
        return {u"Blue", u"Синий"};
    case TExtraText::ColorFuchsia:
        return {u"Fuchsia", u"Фуксия"};
    case TExtraText::ColorAqua:
        return {u"Aqua", u"Голубой"};
    case TExtraText::ColorWhite:
        return {u"White", u"Белый"};
    case TExtraText::ColorCustom:
        return {u"Custom...", u"Другой..."};
    // ---- end of the element properties dialog's block
    // ---- Quotes published to other programs on the desktop.
    case TExtraText::QuotesNoBus:
        return {u"No desktop session bus: quotes are not published to other programs",
                u"Нет сеансовой шины рабочего стола: котировки другим программам не передаются"};
    case TExtraText::QuotesNameTaken:
        return {u"Quotes are not published to other programs: the bus name %1 is taken",
                u"Котировки другим программам не передаются: имя %1 на шине занято"};
    // ---- end of the published quotes' block
    // ---- A server that sends faulty packets.
    case TExtraText::ServerErrorMore:
        return {u"%1 (%2 more errors)", u"%1 (ещё ошибок: %2)"};
    case TExtraText::ServerErrorsDropped:
        return {u"Too many faulty packets from the server: the connection was dropped",
                u"Слишком много ошибочных пакетов от сервера: соединение разорвано"};
    // ---- end of the faulty server's block
    // ---- Toolbars, as their context menu names them.
    case TExtraText::ToolbarMain:
        return {u"Toolbar", u"Панель инструментов"};
    case TExtraText::ToolbarChart:
        return {u"Chart tools", u"Инструменты графика"};
    // ---- end of the toolbars' block
    // ---- The active chart as a picture.
    case TExtraText::SaveChartPicture:
        return {u"Save chart as picture…", u"Сохранить график как рисунок…"};
    case TExtraText::CannotWriteFile:
        return {u"Cannot write %1", u"Не удалось записать %1"};
    // ---- end of the chart picture's block
    // ---- Keyboard commands for the instrument selected in the quotes window.
    case TExtraText::NewDealSelected:
        return {u"New position for the selected instrument", u"Новая позиция по выбранному инструменту"};
    case TExtraText::NewChartSelected:
        return {u"New chart of the selected instrument", u"Новый график выбранного инструмента"};
    // ---- end of the keyboard commands' block
    // ---- The crosshair and the data window.
    case TExtraText::Crosshair:
        return {u"Crosshair", u"Перекрестие"};
    case TExtraText::DataWindow:
        return {u"Data window", u"Окно данных"};
    // ---- end of the crosshair's block
    // ---- A chart's history while it is received.
    case TExtraText::HistoryLoading:
        return {u"Loading history…", u"Загрузка истории…"};
    case TExtraText::HistoryLoadingSeries:
        return {u"Loading history: %1", u"Загрузка истории: %1"};
    case TExtraText::HistoryFailed:
        return {u"History not received: %1", u"История не получена: %1"};
    case TExtraText::HistoryRetry:
        return {u"Retry", u"Повторить"};
    // ---- end of the history block
    // ---- View > Theme.
    case TExtraText::Theme:
        return {u"Theme", u"Тема"};
    case TExtraText::ThemeSystem:
        return {u"System", u"Системная"};
    case TExtraText::ThemeLight:
        return {u"Light", u"Светлая"};
    case TExtraText::ThemeDark:
        return {u"Dark", u"Тёмная"};
    case TExtraText::ToolbarTextUnderIcons:
        return {u"Text under toolbar icons", u"Подписи под значками панели"};
    // ---- end of the theme block
    }
    return {};
}

} // namespace

QString ExtraTextIn(bool english, TExtraText id)
{
    const TExtraEntry e = entryOf(id);
    const std::u16string_view text = english ? e.english : e.russian;
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QString ExtraText(TExtraText id) { return ExtraTextIn(IsEnglish(), id); }

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

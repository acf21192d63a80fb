#include "tradetexts.h"

#include "languagetables.h"

QString OrderTypeText(int orderType)
{
    static const char16_t *const texts[] = {
        u"Market buy",    u"Buy limit",       u"Sell Limit",     u"Buy stop",         u"Sell stop",
        u"Market sell",   u"Buy stop loss",   u"Buy take profit", u"Sell stop loss",  u"Sell take profit",
    };
    if (orderType < 1 || orderType > 10)
        return QString();
    return QString::fromUtf16(texts[orderType - 1]);
}

QString OperationText(int operation)
{
    switch (operation) {
    case 1: return QStringLiteral("Buy");
    case 2: return QStringLiteral("Sell");
    default: return QString();
    }
}

QString HistoryOperationText(int operationType)
{
    switch (operationType) {
    case 1: return QStringLiteral("add");
    case 2: return QStringLiteral("delete");
    case 101: return QStringLiteral("Buy");
    case 102: return QStringLiteral("Sell");
    default: return QString();
    }
}

QString OrderStateText(int status)
{
    if (status < 3 || status > 5)
        return QString();
    return CachedTexts().OrderStates[status - 3];
}

#include "errortext.h"

#include "languagetables.h"
#include "packet.h"

namespace {

struct ErrorRow {
    int code;
    const char16_t *english;
    const char16_t *russian;
};

// Texts as the dealer's clients have always shown them, spelling included.
constexpr ErrorRow ErrorRows[] = {
    {1, u"Incorrect login name or password", u"Непральный логин или пороль"},
    {2, u"User the same name already exist in system", u"Пользователь с таким счетом уже соеденен с сервером"},
    {3, u"Record not found", u"Запись не найдена"},
    {4, u"Unsuported command", u"Комманда не поддерживаеться"},
    {5, u"Price is changed", u"Цена изменилась"},
    {6, u"Incorrect price", u"Неверная цена"},
    {7, u"Price in market", u"Цена в рынке"},
    {8, u"Not enough money", u"Недостаточно денег"},
    {9, u"Can't connect to server", u"Невозможно соединиться с сервером"},
    {10, u"Price offline", u"Цена недоступна"},
    {11, u"Market offline", u"Рынок для сделок недоступен"},
    {12, u"Market offline", u"Рынок для сделок недоступен"},
    {13, u"Too many active orders", u"Слишком много активных ордеров"},
    {14, u"Confirmation timeout", u"Время для подверждения истекло"},
    {15, u"Incorrect price for Stop loss", u"Неверная цена для Stop loss"},
    {16, u"Incorrect price for Take profit", u"Неверная цена для Take profit"},
    {17, u"Price in market for Stop loss", u"Цена в рынке для Stop loss"},
    {18, u"Price in market for Take profit", u"Цена в рынке для Take profit"},
    {19, u"Incorrect price", u"Неверная цена"},
};

const ErrorRow *FindRow(int code)
{
    for (const ErrorRow &row : ErrorRows)
        if (row.code == code)
            return &row;
    return nullptr;
}

} // namespace

QString ErrorText(int code, const QString &serverText, bool english)
{
    if (const ErrorRow *row = FindRow(code))
        return QString::fromUtf16(english ? row->english : row->russian);
    return (english ? QStringLiteral("Error code: ") : QStringLiteral("Ошибка #: "))
        + QString::number(code) + QLatin1Char(' ') + serverText;
}

QString ErrorText(const TUserReply &reply, bool english)
{
    return ErrorText(reply.ErrorCode, reply.ErrorText, english);
}

QString ErrorText(const TUserReply &reply) { return ErrorText(reply, IsEnglish()); }

QString ErrorCodeText(const TUserReply &reply)
{
    // A code outside the table has no text of its own: the server's text
    // follows the code once, not ErrorText's own "Error code: " form again.
    const QString prefix = QStringLiteral("Error code: ") + QString::number(reply.ErrorCode) + QLatin1Char(' ');
    return prefix + (FindRow(reply.ErrorCode) ? ErrorText(reply) : reply.ErrorText);
}

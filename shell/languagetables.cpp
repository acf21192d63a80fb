#include "languagetables.h"

#include <array>
#include <atomic>
#include <string_view>

// Every entry carries its index and both texts side by side, so that a
// translation can be checked against its original at a glance. The English
// texts are the product's own wording and stay exactly as they are (including
// their spelling); the Russian ones keep the same printf conversions, in the
// same order, and the same leading and trailing blanks.

namespace {

struct TTextEntry {
    int index;
    std::u16string_view english;
    std::u16string_view russian;
};

constexpr TTextEntry kCaptions[] = {
    {2, u"&+ Zoom in", u"&+ Увеличить масштаб"},
    {3, u"&- Zoom out", u"&- Уменьшить масштаб"},
    {4, u"&About...", u"&О программе..."},
    {5, u"&Cascade", u"&Каскадом"},
    {6, u"© 2026 Kelvra", u"© 2026 Kelvra"},
    {7, u"...", u"..."},
    {8, u"1 minute", u"1 минута"},
    {9, u"1 hour", u"1 час"},
    {10, u"4 hours", u"4 часа"},
    {11, u"5 minutes", u"5 минут"},
    // Bid and Ask are the established terms in Russian trading terminals too.
    {12, u"Ask", u"Ask"},
    {13, u"Bid", u"Bid"},
    {14, u"Buy", u"Купить"},
    {15, u"Cancel", u"Отмена"},
    {16, u"Confirm", u"Подтвердить"},
    {17, u"Email", u"Эл. почта"},
    {18, u"Id", u"№"},
    {19, u"Ok", u"ОК"},
    {20, u"Open private key file", u"Открыть файл закрытого ключа"},
    {21, u"RSA key", u"Ключ RSA"},
    {22, u"Sell", u"Продать"},
    {23, u"Stop loss", u"Стоп-лосс"},
    {24, u"Swap", u"Своп"},
    {25, u"Take profit", u"Тейк-профит"},
    {26, u"Kelvra", u"Kelvra"},
    {27, u"Authorization", u"Авторизация"},
    {28, u"Server address", u"Адрес сервера"},
    {29, u"View", u"Вид"},
    {30, u"Time", u"Время"},
    {31, u"All history", u"Вся история"},
    {32, u"Are your sure to close", u"Вы уверены, что хотите закрыть"},
    {33, u"Exit", u"Выход"},
    {34, u"Graphics", u"Графики"},
    {35, u"Group", u"Группа"},
    {36, u"Group #", u"Группа №"},
    {37, u"Date", u"Дата"},
    {38, u"Close date", u"Дата закрытия"},
    {39, u"Open date", u"Дата открытия"},
    {40, u"Day", u"День"},
    {41, u"Deposit", u"Депозит"},
    {42, u"Close", u"Закрыть"},
    {43, u"Close at price", u"Закрыть по цене"},
    {44, u"Close connection", u"Разорвать соединение"},
    {45, u"Change order", u"Изменить ордер"},
    {46, u"Name", u"Имя"},
    {47, u"Reverse operation", u"Операция разворота"},
    {48, u"Reverse position", u"Развернуть позицию"},
    {49, u"Day history", u"История за день"},
    {50, u"Month history", u"История за месяц"},
    {51, u"Week history", u"История за неделю"},
    {52, u"Order history", u"История ордеров"},
    {53, u"Account history", u"История счета"},
    {54, u"Copy to clipboard", u"Копировать в буфер обмена"},
    {55, u"Price (bid/ask)", u"Цена (bid/ask)"},
    {56, u"Prices", u"Цены"},
    {57, u"Lot", u"Лот"},
    {58, u"Minimize All", u"Свернуть все"},
    {59, u"Minute", u"Минута"},
    {60, u"Week", u"Неделя"},
    {61, u"New order", u"Новый ордер"},
    {62, u"Account number", u"Номер счета"},
    {63, u"About", u"О программе"},
    {64, u"Refresh", u"Обновить"},
    {65, u"Windows by default", u"Окна по умолчанию"},
    {66, u"Window", u"Окно"},
    {67, u"Online registration", u"Регистрация онлайн"},
    {68, u"Operation", u"Операция"},
    {69, u"Order", u"Ордер"},
    {70, u"Orders", u"Ордера"},
    {71, u"Open position", u"Открытые позиции"},
    {72, u"Open at price", u"Открыть по цене"},
    {73, u"Open position", u"Открыть позицию"},
    {74, u"Cancel", u"Отмена"},
    {75, u"Cancel", u"Отмена"},
    {76, u"Open position", u"Открыть позицию"},
    {77, u"Password", u"Пароль"},
    {78, u"Help", u"Справка"},
    {79, u"Port", u"Порт"},
    {80, u"Profit/loss", u"Прибыль/убыток"},
    {81, u"View (Ask+bid)/2", u"Показать (Ask+Bid)/2"},
    {82, u"View Ask", u"Показать Ask"},
    {83, u"View Bid", u"Показать Bid"},
    {84, u"View Last", u"Показать последнюю цену"},
    {85, u"Tile vertically", u"Мозаикой по вертикали"},
    {86, u"Arrange all", u"Упорядочить все"},
    {87, u"Tile horizontally", u"Мозаикой по горизонтали"},
    {88, u"Registration", u"Регистрация"},
    {89, u"Registration new account", u"Регистрация нового счета"},
    {90, u"Change ", u"Изменить "},
    {91, u"Change group", u"Изменить группу"},
    {92, u"Join orders", u"Объединить ордера"},
    {93, u"Service", u"Сервис"},
    {94, u"Symbol", u"Инструмент"},
    {95, u"Connection", u"Соединение"},
    {96, u"Save", u"Сохранить"},
    {97, u"Save report", u"Сохранить отчет"},
    {98, u"Save password", u"Сохранить пароль"},
    {99, u"Status", u"Состояние"},
    {100, u"Cur. price", u"Тек. цена"},
    {101, u"Current price", u"Текущая цена"},
    {102, u"Type", u"Тип"},
    {103, u"Order type", u"Тип ордера"},
    {104, u"Delete", u"Удалить"},
    {105, u"Setup", u"Настройка"},
    {106, u"File", u"Файл"},
    {107, u"Price", u"Цена"},
    {108, u"Close price", u"Цена закрытия"},
    {109, u"Open price", u"Цена открытия"},
    {110, u"at price", u"по цене"},
    {111, u"Language", u"Язык"},
    {112, u"Help", u"Справка"},
    // 113..119 are unused and stay empty.
    {120, u"Chat", u"Чат"},
    {121, u"Send (Cntr+Enter)", u"Отправить (Ctrl+Enter)"},
    {122, u"View history", u"Показать историю"},
    {123, u"view message", u"просмотр сообщения"},
    {124, u"From :", u"От :"},
    {125, u"Subject :", u"Тема :"},
    {126, u"Date :", u"Дата :"},
    {127, u"Delete message", u"Удалить сообщение"},
    {128, u"Open message", u"Открыть сообщение"},
    {129, u"Mailbox", u"Почтовый ящик"},
    {130, u"View chat history", u"История чата"},
    {131, u"View mail box", u"Показать почтовый ящик"},
    {132, u"Chat", u"Чат"},
};

// The key-file sentence (18) is Russian in both languages.
constexpr std::u16string_view kKeyFileRequired = u"Необходимо указать корректный private key file";

constexpr TTextEntry kMessages[] = {
    {1, u"Are you sure ?", u"Вы уверены?"},
    {2, u"Your account # %d", u"Ваш счет № %d"},
    {3, u" Balans: %.2f; Equty: %.2f; Free margin: %.2f",
        u" Баланс: %.2f; Средства: %.2f; Свободная маржа: %.2f"},
    {4, u"New price : ", u"Новая цена : "},
    {5, u"%s %s lot: %d;at price: %s %s", u"%s %s лот: %d; по цене: %s %s"},
    {6, u"Operation: %s; symbol %s", u"Операция: %s; инструмент %s"},
    {7, u"Account history", u"История счета"},
    {8, u"Protected", u"Защищено"},
    {9, u"Can't registration", u"Не удалось зарегистрироваться"},
    {10, u"Value requered", u"Необходимо указать значение"},
    {11, u"Current balans : %7.2f", u"Текущий баланс : %7.2f"},
    {12, u" (%d sec)", u" (%d сек)"},
    {13, u"password %s", u"пароль %s"},
    {14, u"Can't connect to %s:%d server", u"Не удалось подключиться к серверу %s:%d"},
    {15, u"executed", u"исполнен"},
    {16, u"Open date: %s; opean price: %s", u"Дата открытия: %s; цена открытия: %s"},
    {17, u"Account: ", u"Счет: "},
    {18, kKeyFileRequired, kKeyFileRequired},
    {19, u"Price is changed ", u"Цена изменилась "},
    {20, u"Please wait, loading...", u"Подождите, идет загрузка..."},
    // 21 is a malformed number, 22 an integer and 38 a price out of range.
    // The English texts do not tell them apart; the Russian ones do.
    {21, u"Incorect value", u"Неверное значение"},
    {22, u"Incorect value", u"Значение вне допустимых пределов"},
    {23, u"Confirmation (%d sec)", u"Подтверждение (%d сек)"},
    {24, u"Price (open./close.)", u"Цена (откр./закр.)"},
    {25, u"Not valid packet is recieved", u"Получен неверный пакет"},
    {26, u"canceled", u"отменен"},
    {27, u"Orders", u"Ордера"},
    {28, u"Position #%d; operation: %s, symbol: %s", u"Позиция №%d; операция: %s, инструмент: %s"},
    {29, u"Open position", u"Открытые позиции"},
    {30, u"Group #", u"Группа №"},
    {31, u"Trying connect to %s:%d server...", u"Подключение к серверу %s:%d..."},
    {32, u"No connect", u"Нет соединения"},
    {33, u"Disconnect", u"Отключено"},
    {34, u"Account #:", u"Счет №:"},
    {35, u"Are you sure to delete the order?", u"Вы уверены, что хотите удалить ордер?"},
    {36, u"Can't login", u"Не удалось войти"},
    {37, u" (from %s to %s)", u" (с %s по %s)"},
    {38, u"Incorect value", u"Значение вне допустимых пределов"},
    {39, u"Accept", u"Принять"},
    {40, u"Order #%d (%s)", u"Ордер №%d (%s)"},
    {41, u"Connect ", u"Соединение "},
    {42, u"New group #", u"Новая группа №"},
    {43, u"Operation: %s; symbol %s; lot: %d", u"Операция: %s; инструмент %s; лот: %d"},
    {44, u"Total: %7.2f (%s - %s) , Current balans : %7.2f",
        u"Итого: %7.2f (%s - %s), текущий баланс: %7.2f"},
    {45, u"deleted", u"удален"},
    {46, u"Position #%d (%s)", u"Позиция №%d (%s)"},
    {47, u"Order history", u"История ордеров"},
    {48, u"Can' read %s file", u"Не удалось прочитать файл %s"},
    {49, u"Incorrect login name", u"Неверный номер счёта"},
    {50, u"You have new message", u"У вас новое сообщение"},
    {51, u"Administrator", u"Администратор"},
    {52, u"Account #", u"Счет №"},
    {53, u"hide history", u"скрыть историю"},
    {54, u"view history", u"показать историю"},
    {55, u"Are you sure to delete this message?", u"Вы уверены, что хотите удалить это сообщение?"},
    {56, u"You have new mail", u"У вас новое письмо"},
    {57, u"Total : %d, unread: %d, new %d", u"Всего: %d, непрочитанных: %d, новых: %d"},
};

// A misnumbered or duplicated entry is a build error rather than a wrong
// caption somewhere in a window.
template <std::size_t N>
constexpr bool indexesValid(const TTextEntry (&entries)[N], int last)
{
    std::array<bool, 256> seen{};
    for (const TTextEntry &e : entries) {
        if (e.index < 1 || e.index > last || e.index >= int(seen.size()) || seen[e.index])
            return false;
        if (e.english.empty() || e.russian.empty())
            return false;
        seen[e.index] = true;
    }
    return true;
}
static_assert(indexesValid(kCaptions, kLastCaptionIndex));
static_assert(indexesValid(kMessages, kLastMessageIndex));

template <int Last>
using TTextTable = std::array<QString, Last + 1>;

template <int Last, std::size_t N>
TTextTable<Last> buildTable(const TTextEntry (&entries)[N], bool english)
{
    TTextTable<Last> table;
    for (const TTextEntry &e : entries) {
        const std::u16string_view text = english ? e.english : e.russian;
        table[e.index] = QString::fromUtf16(text.data(), qsizetype(text.size()));
    }
    return table;
}

// Built once on first use and read-only afterwards, so the connection thread
// may read them too.
const TTextTable<kLastCaptionIndex> &captionTable(bool english)
{
    static const TTextTable<kLastCaptionIndex> tables[2] = {
        buildTable<kLastCaptionIndex>(kCaptions, false),
        buildTable<kLastCaptionIndex>(kCaptions, true),
    };
    return tables[english ? 1 : 0];
}

const TTextTable<kLastMessageIndex> &messageTable(bool english)
{
    static const TTextTable<kLastMessageIndex> tables[2] = {
        buildTable<kLastMessageIndex>(kMessages, false),
        buildTable<kLastMessageIndex>(kMessages, true),
    };
    return tables[english ? 1 : 0];
}

std::atomic<bool> englishFlag{false};

// Order-state texts live in fixed short fields.
constexpr int kOrderStateLength = 10;

TCachedTexts loadCachedTexts(bool english)
{
    TCachedTexts texts;
    texts.OrderStates[0] = MessageTextIn(english, 45).left(kOrderStateLength);
    texts.OrderStates[1] = MessageTextIn(english, 15).left(kOrderStateLength);
    texts.OrderStates[2] = MessageTextIn(english, 26).left(kOrderStateLength);
    texts.Loading = MessageTextIn(english, 20);
    texts.NoConnect = MessageTextIn(english, 32);
    texts.ValueRequired = MessageTextIn(english, 10);
    texts.IncorrectValue = MessageTextIn(english, 21);
    texts.IntegerOutOfRange = MessageTextIn(english, 22);
    texts.PriceOutOfRange = MessageTextIn(english, 38);
    return texts;
}

// Filled for the start-up language on first use, so the texts are valid even
// before the first language switch.
TCachedTexts &cachedTextsStorage()
{
    static TCachedTexts texts = loadCachedTexts(IsEnglish());
    return texts;
}

} // namespace

bool IsEnglish()
{
    return englishFlag.load(std::memory_order_relaxed);
}

void SetEnglish(bool english)
{
    englishFlag.store(english, std::memory_order_relaxed);
    cachedTextsStorage() = loadCachedTexts(english);
}

QString CaptionTextIn(bool english, int index)
{
    if (index < 0 || index > kLastCaptionIndex)
        return QString();
    return captionTable(english)[std::size_t(index)];
}

QString MessageTextIn(bool english, int index)
{
    if (index < 0 || index > kLastMessageIndex)
        return QString();
    return messageTable(english)[std::size_t(index)];
}

QString CaptionText(int tag)
{
    if (tag < 65536)
        return QString();
    return CaptionTextIn(IsEnglish(), tag >> 16);
}

QString MessageText(int index)
{
    return MessageTextIn(IsEnglish(), index);
}

const TCachedTexts &CachedTexts()
{
    return cachedTextsStorage();
}

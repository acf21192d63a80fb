#pragma once

#include <gtest/gtest.h>

#include <QStringList>

#include "clientlists.h"
#include "clientsession.h"
#include "fakedealer.h"
#include "positionimage.h"
#include "tradecontext.h"
#include "wirerecords.h"

void PrintTo(const QString &s, std::ostream *os);

class QAbstractButton;
class TDlgForm;
enum class TExtraText;

// The button of the dialog's no-answer notice that carries that text; null
// while no notice is shown.
QAbstractButton *NoticeButton(TDlgForm &form, TExtraText text);

// The widget application and the English tables, before any session exists.
struct TradingApp {
    TradingApp();
};

// A trade dialog's world: a session logged in to the fake dealer, which
// never answers the trade commands itself (the tests answer them through
// the dispatcher), the client's lists with three instruments, and a context
// whose message boxes are recorded instead of shown.
class TradingTest : public ::testing::Test {
protected:
    TradingTest();
    ~TradingTest() override;
    void SetUp() override;

    void addInstrument(uint16_t id, uint8_t kind, const std::string &name, int32_t ask, int32_t bid);
    void addOrder(const wire::Order &order);
    static TPositionImage position(const wire::Position &p);

    // Reply events waiting: every command sent adds one until it is answered.
    size_t pending() { return session.Dispatcher().EventCount(); }
    // The n-th command (from 0) the dealer received since the login.
    TPacketBuffer command(size_t n);
    static std::vector<uint8_t> payload(const TPacketBuffer &command);
    // Answers a received command as the dealer would.
    void reply(const TPacketBuffer &command, uint8_t error = 0, const wire::Bytes &data = {});
    void replyText(const TPacketBuffer &command, uint8_t error, const std::string &text);
    // A quote push handed to the dispatcher.
    void quote(uint16_t id, int32_t ask, int32_t bid);
    QString status() const { return session.PanelText(ClientSession::PanelStatus); }

    TradingApp app;
    FakeDealer dealer;
    ClientSession session;
    TClientLists lists;
    TTradeContext context{session, lists};
    QStringList errors;     // input errors shown
    QStringList questions;  // OK/Cancel questions asked
    bool answerOk = true;   // the answer to them
    QStringList alerts;     // status texts offered in a message box
};

// A session never logged in.
class OfflineTradingTest : public ::testing::Test {
protected:
    OfflineTradingTest();
    TradingApp app;
    ClientSession session;
    TClientLists lists;
    TTradeContext context{session, lists};
    QStringList errors;
};

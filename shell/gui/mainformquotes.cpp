// The main window's part of the quotes published to other programs: the
// items follow the instrument list and every quote, and go out on the
// session bus when it is there.
#include "mainform.h"

#include <QCoreApplication>

#include "clientstate.h"
#include "quotebus.h"
#include "quotepublisher.h"
#include "shelllog.h"
#include "usercurrency.h"

void TMainForm::buildQuotePublishing()
{
    quotePublisher = new TQuotePublisher(this);
    quoteBus = new TQuoteBus(*quotePublisher, this);
    const QString name = TQuoteBus::ServiceNameFor(QCoreApplication::applicationFilePath());
    switch (quoteBus->Start(QDBusConnection::sessionBus(), name)) {
    case TQuoteBus::TState::Publishing:
        qCDebug(lcShell).noquote() << "quotes published as" << name;
        break;
    case TQuoteBus::TState::NoBus:
        ShowStatus(ExtraText(TExtraText::QuotesNoBus));
        break;
    default:
        ShowStatus(ExtraText(TExtraText::QuotesNameTaken).arg(name));
        break;
    }
    // The stored last quotes are offered before any login.
    publishInstrumentList();
    connect(state.get(), &ClientState::instrumentsLoaded, this, &TMainForm::publishInstrumentList);
    connect(state.get(), &ClientState::quoteApplied, this,
            [this](TUserCurrency *instrument) { PublishQuote(*instrument); });
}

void TMainForm::CreateQuoteItems() { quotePublisher->CreateQuoteItems(state->Lists().Instruments); }

void TMainForm::PublishQuote(const TUserCurrency &instrument) { quotePublisher->PublishQuote(instrument); }

void TMainForm::publishInstrumentList()
{
    CreateQuoteItems();
    const TListCurrency &list = state->Lists().Instruments;
    for (int i = 0; i < list.Count(); ++i)
        PublishQuote(*list.Item(i));
}

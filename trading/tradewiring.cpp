#include "tradewiring.h"

#include <memory>

#include "clientsession.h"
#include "clientstate.h"
#include "commands.h"
#include "groupform.h"
#include "languagetables.h"
#include "mainform.h"
#include "opendealform.h"
#include "openorderform.h"
#include "reversedealform.h"
#include "tradecontext.h"
#include "userdeal.h"
#include "userorder.h"

std::shared_ptr<TTradeContext> ConnectTradeDialogs(TMainForm &window)
{
    // One context for the window's lifetime; the dialogs are modal.
    auto context = std::make_shared<TTradeContext>(window.Session(), window.State().Lists(), &window);
    TViewActions &a = window.ViewActions();
    a.OpenNewDeal = [context](int instrumentId) { OpenNewDeal(*context, instrumentId); };
    a.OpenExistingDeal = [context](TUserDeal *deal) { OpenExistingDeal(*context, *deal); };
    a.ReverseDeal = [context](TUserDeal *deal) { OpenReverse(*context, *deal); };
    a.OpenNewOrder = [context](int instrumentId) { OpenNewOrder(*context, instrumentId); };
    a.OpenOrder = [context](TUserOrder *order) { OpenExistingOrder(*context, *order); };
    // The 137 reply belongs to the main window: a failure in the status bar.
    ClientSession *session = &window.Session();
    const auto groupReply = [session](TUserCmdRply *packet) { GroupOrdersReply(*session, packet); };
    a.EditGroup = [context, groupReply](int group) { EditGroup(*context, group, groupReply); };
    a.NewGroup = [context, groupReply](TUserOrder *) { EditGroup(*context, 0, groupReply); };
    // Delete in the order list: the order dialog's question, then the
    // command; a refusal goes to the status bar.
    a.DeleteOrder = [context](TUserOrder *order) {
        if (!context->Ask(context->Parent, QStringLiteral("Подтверждение"), MessageText(35)))
            return;
        ClientSession &session = context->Session;
        session.SendCommand(NewCommandU32(cmdDeleteOrder, order->Id), nullptr,
                            [&session](TUserCmdRply *packet) { session.ReplySucceeded(packet); });
    };
    window.updateActions();
    return context;
}

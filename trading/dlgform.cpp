#include "dlgform.h"

#include <QCloseEvent>
#include <QLayout>

#include "clientsession.h"
#include "fieldinput.h"
#include "languagetables.h"
#include "tradecontext.h"
#include "translateform.h"

TDlgForm::TDlgForm(TTradeContext &context, QWidget *parent)
    : QDialog(parent ? parent : context.Parent), context(context)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void TDlgForm::FormCreate()
{
    if (layout())
        layout()->setSizeConstraint(QLayout::SetFixedSize);
    TranslateForm(this, true);
}

void TDlgForm::SetLocked(bool locked)
{
    if (!locked && Busy)
        return;
    for (QWidget *w : findChildren<QWidget *>())
        if (TagParameter(w) == LockGroup)
            w->setEnabled(!locked);
}

void TDlgForm::KeepDisabled(QWidget *control)
{
    SetTag(control, Tag(control) & ~0xFFFF);
    control->setEnabled(false);
}

void TDlgForm::done(int result)
{
    if (Busy)
        return;
    QDialog::done(result);
}

void TDlgForm::reject()
{
    if (Busy)
        return;
    QDialog::reject();
}

void TDlgForm::closeEvent(QCloseEvent *event)
{
    if (Busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TDlgForm::Guard(const std::function<void()> &action)
{
    try {
        action();
    } catch (const EInputError &e) {
        if (e.Control)
            e.Control->setFocus();
        context.Error(this, e.Message);
    }
}

bool TDlgForm::Connected() const { return context.Session.LoggedIn(); }

void TDlgForm::ShowNoConnect() const { context.Session.ShowStatus(CachedTexts().NoConnect); }

bool TDlgForm::SendTrade(TCommandPtr command, TNotifyEvent onCancel, TPacketEvent onReply)
{
    if (!Connected()) {
        ShowNoConnect();
        return false;
    }
    // Locked only when the command really went out: a refused command would
    // leave a dialog that can never be closed.
    if (!context.Session.SendCommand(std::move(command), std::move(onCancel), std::move(onReply)))
        return false;
    SetLocked(true);
    Busy = true;
    return true;
}

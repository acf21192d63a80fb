#include "dlgform.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "clientsession.h"
#include "extratexts.h"
#include "fieldinput.h"
#include "languagetables.h"
#include "tradecontext.h"
#include "translateform.h"

TDlgForm::TDlgForm(TTradeContext &context, QWidget *parent)
    : QDialog(parent ? parent : context.Parent), context(context), replyTimer(new QTimer(this))
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    replyTimer->setSingleShot(true);
    connect(replyTimer, &QTimer::timeout, this, [this] { showNoAnswer(); });
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
    // Whatever ends the wait first, the reply or the end of the connection,
    // stops the watch before the dialog's own handler runs.
    const quint64 serial = ++waitSerial;
    QPointer<TDlgForm> self(this);
    TNotifyEvent cancel = [self, serial, onCancel = std::move(onCancel)](TFxEvent *event) {
        if (self)
            self->endWait(serial);
        if (onCancel)
            onCancel(event);
    };
    TPacketEvent reply = [self, serial, onReply = std::move(onReply)](TUserCmdRply *packet) {
        if (self)
            self->endWait(serial);
        if (onReply)
            onReply(packet);
    };
    TFxEvent *event = nullptr;
    // Locked only when the command really went out: a refused command would
    // leave a dialog that can never be closed.
    if (!context.Session.SendCommand(std::move(command), std::move(cancel), std::move(reply), &event))
        return false;
    SetLocked(true);
    Busy = true;
    replyEvent = event;
    waiting = true;
    replyTimer->start(context.ReplyTimeoutMs);
    return true;
}

QMessageBox *TDlgForm::NoAnswerNotice() const { return notice.data(); }

void TDlgForm::endWait(quint64 serial)
{
    if (serial != waitSerial || !waiting)
        return;
    waiting = false;
    replyEvent = nullptr;
    replyTimer->stop();
    closeNotice();
}

void TDlgForm::showNoAnswer()
{
    if (!waiting || notice)
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(), ExtraText(TExtraText::NoAnswerNotice),
                                QMessageBox::NoButton, this);
    QPushButton *stop = box->addButton(ExtraText(TExtraText::NoAnswerStopWaiting), QMessageBox::DestructiveRole);
    QPushButton *keep = box->addButton(ExtraText(TExtraText::NoAnswerKeepWaiting), QMessageBox::RejectRole);
    // Enter and Escape go on waiting: giving up takes a deliberate click.
    box->setDefaultButton(keep);
    box->setEscapeButton(keep);
    const quint64 serial = waitSerial;
    connect(box, &QDialog::finished, this,
            [this, serial, box, stop] { noticeAnswered(serial, box->clickedButton() == stop); });
    notice = box;
    // Modal to this dialog only and without a nested event loop: the reply
    // is still dispatched while the notice is shown.
    box->open();
}

void TDlgForm::noticeAnswered(quint64 serial, bool stop)
{
    if (serial != waitSerial || !waiting)
        return;
    closeNotice();
    if (stop)
        StopWaiting();
    else
        replyTimer->start(context.ReplyTimeoutMs);
}

void TDlgForm::closeNotice()
{
    QMessageBox *box = notice.data();
    notice = nullptr;
    if (!box)
        return;
    box->disconnect(this);
    box->hide();
    box->deleteLater();
}

void TDlgForm::StopWaiting()
{
    if (!waiting)
        return;
    TFxEvent *event = replyEvent;
    endWait(waitSerial);
    if (event)
        context.Session.Dispatcher().RemoveEvent(event);
    stoppedWaiting = true;
    Busy = false;
    SetLocked(false);
    context.Session.ShowStatus(ExtraText(TExtraText::NoAnswerGivenUp));
    reject();
}

void RunClearingStatus(TDlgForm &form)
{
    TTradeContext &context = form.Context();
    context.Run(form);
    if (!form.StoppedWaiting())
        context.Session.ShowStatus(QString());
}

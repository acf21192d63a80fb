#include "frmchat.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "chatlog.h"
#include "frmviewmessages.h"
#include "languagetables.h"

TfrmChat::TfrmChat(TChatLog &l, TfrmViewMessages &h, QWidget *parent) : TDockableForm(parent), log(l), history(h)
{
    setObjectName(QStringLiteral("viewChat"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setFocusPolicy(Qt::StrongFocus);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(13);
    auto *body = new QWidget(this);
    reHistory = new QTextEdit(body);
    reHistory->setReadOnly(true);
    reHistory->setFont(tahoma);
    reHistory->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textIn = new QPlainTextEdit(body);
    textIn->setFont(tahoma);
    textIn->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textIn->installEventFilter(this);
    auto *Splitter1 = new QSplitter(Qt::Vertical, body);
    Splitter1->setHandleWidth(3);
    Splitter1->addWidget(reHistory);
    Splitter1->addWidget(textIn);
    Splitter1->setSizes({335 - 104 - 23, 104});
    auto *Panel1 = new QWidget(body);
    Panel1->setFixedHeight(23);
    Asend = new QAction(this);
    AviewHistory = new QAction(this);
    btnSend = new QToolButton(Panel1);
    SpeedButton1 = new QToolButton(Panel1);
    for (QToolButton *b : {btnSend, SpeedButton1}) {
        b->setAutoRaise(true);
        b->setFixedSize(113, 23);
    }
    btnSend->setDefaultAction(Asend);
    SpeedButton1->setDefaultAction(AviewHistory);
    auto *buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(btnSend);
    buttons->addWidget(SpeedButton1);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Splitter1);
    layout->addWidget(Panel1);
    setWidget(body);
    resize(409, 335);

    connect(Asend, &QAction::triggered, this, [this] { log.SendText(textIn->toPlainText()); });
    connect(AviewHistory, &QAction::triggered, this, [this] {
        history.setVisible(!history.isVisible());
        UpdateActions();
    });
    connect(textIn, &QPlainTextEdit::textChanged, this, [this] {
        limitInput();
        UpdateActions();
    });
    connect(&log, &TChatLog::sendingChanged, this, &TfrmChat::sendingChanged);
    connect(&log, &TChatLog::sent, this, [this] { textIn->clear(); });
    connect(&log, &TChatLog::chatAppended, this,
            [this](const TMessageItem &item) { AppendChatMessage(reHistory, item, QStringLiteral("hh:nn")); });
    connect(&log, &TChatLog::cleared, this, [this] {
        Clear();
        history.Clear();
    });
    connect(&log, &TChatLog::historyAppended, &history, &TfrmViewMessages::Append);
    connect(&log, &TChatLog::historyLoading, &history, &TfrmViewMessages::SetLoading);
    // The caption of AviewHistory follows the history window.
    history.installEventFilter(this);
    Retranslate();
}

TfrmChat::~TfrmChat()
{
    log.disconnect(this);
    log.disconnect(&history);
    history.removeEventFilter(this);
}

void TfrmChat::Retranslate()
{
    setWindowTitle(CaptionText(120 << 16));
    Asend->setText(CaptionText(121 << 16));
    UpdateActions();
}

void TfrmChat::UpdateActions()
{
    Asend->setEnabled(!log.Sending() && Connected && Connected() && !textIn->toPlainText().isEmpty());
    AviewHistory->setText(MessageText(history.isVisible() ? 53 : 54));
}

void TfrmChat::Clear()
{
    textIn->clear();
    reHistory->clear();
}

bool TfrmChat::FrameHasFocus() const { return hasFocus(); }

void TfrmChat::limitInput()
{
    // Typed or pasted, the box takes 500 characters.
    const QString text = textIn->toPlainText();
    if (text.size() <= MaxInput)
        return;
    const QSignalBlocker block(textIn);
    QTextCursor cursor = textIn->textCursor();
    const int at = std::min(cursor.position(), MaxInput);
    textIn->setPlainText(text.left(MaxInput));
    cursor = textIn->textCursor();
    cursor.setPosition(at);
    textIn->setTextCursor(cursor);
}

void TfrmChat::sendingChanged(bool sending)
{
    textIn->setEnabled(!sending);
    if (!sending && textIn->isEnabled() && textIn->isVisible())
        textIn->setFocus();
    UpdateActions();
}

bool TfrmChat::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == textIn && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & Qt::ControlModifier)) {
            log.SendText(textIn->toPlainText());
            return true;
        }
        // The box's limit also holds for typing over a selection.
        if (!key->text().isEmpty() && !textIn->textCursor().hasSelection()
            && textIn->toPlainText().size() >= MaxInput && !key->text().at(0).isSpace() && key->text().at(0).isPrint())
            return true;
    }
    if (watched == &history && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        UpdateActions();
    return QDockWidget::eventFilter(watched, event);
}

void TfrmChat::closeEvent(QCloseEvent *event)
{
    QDockWidget::closeEvent(event);
    if (event->isAccepted())
        emit openChanged(false);
}

void TfrmChat::showEvent(QShowEvent *event)
{
    QDockWidget::showEvent(event);
    textIn->setFocus();
    emit openChanged(true);
}

#pragma once

#include <functional>

#include <QString>

class ClientSession;
class QDialog;
class QWidget;
class TClientLists;
class TUserCmdRply;

// What a trade dialog needs from the program: the session it sends through,
// the client's lists, the window it belongs to, and the few places where it
// would block on the user (message boxes, modal runs) or on the clock.
// Every hook has a working default; tests replace them.
struct TTradeContext {
    TTradeContext(ClientSession &session, TClientLists &lists, QWidget *parent = nullptr)
        : Session(session), Lists(lists), Parent(parent)
    {
    }

    ClientSession &Session;
    TClientLists &Lists;
    QWidget *Parent;

    // Shows an input error (an error box by default).
    std::function<void(QWidget *parent, const QString &text)> ShowError;
    // Asks an OK/Cancel question; true for OK (a question box by default).
    std::function<bool(QWidget *parent, const QString &caption, const QString &text)> AskOkCancel;
    // Runs a dialog modally and answers its result (exec by default).
    std::function<int(QDialog &dialog)> RunModal;
    // Period of the confirmation countdowns.
    int CountdownIntervalMs = 1000;
    // How long a trade dialog waits for the dealer's reply before it offers
    // to stop waiting.
    int ReplyTimeoutMs = 30000;

    void Error(QWidget *parent, const QString &text) const;
    bool Ask(QWidget *parent, const QString &caption, const QString &text) const;
    int Run(QDialog &dialog) const;
};

// The reply of a trade command as the dialogs read it.
struct TTradeResult {
    int Code = -1;        // the reply's error byte; -1 for a packet without one
    bool Requote = false; // code 100 with the new price present
    qint32 Price = 0;     // the price offered by a requote
    QString Text;         // the error text in the current language (any code but 0)
};
TTradeResult ReadTradeResult(const TUserCmdRply &packet);

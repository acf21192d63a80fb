#pragma once

#include <vector>

#include <QDialog>

#include "dispatcher.h"

class ClientSession;
class QPushButton;
class QTreeWidget;
struct TTradeContext;

// The order group dialog: the ungrouped orders and the members of one group,
// each with a check box for membership.
class TfrmGroup : public QDialog {
    Q_OBJECT
public:
    TfrmGroup(TTradeContext &context, int group, QWidget *parent = nullptr);

    int Group() const { return group; }
    bool NewGroup() const { return newGroup; }
    int RowCount() const;
    // The ids of the checked rows, in row order.
    std::vector<uint32_t> CheckedIds() const;
    // The column captions from the language table.
    Q_INVOKABLE void RetranslateColumns();

    QTreeWidget *lv;
    QPushButton *Button1;
    QPushButton *Button2;

private:
    int group;
    bool newGroup = true;
};

// The group dialog for a group (below 1: a new group with a free number).
// Nothing opens when no number is free or fewer than two orders can be
// listed. On Save command 137 goes out with the checked orders (one checked
// order dissolves the group); onReply gets its reply (the main window's
// GroupOrdersReply by default). True when the command was sent.
bool EditGroup(TTradeContext &context, int group, TPacketEvent onReply = nullptr);

// The main window's handler of the 137 reply: a failure's text in the status
// bar, without an alert.
void GroupOrdersReply(ClientSession &session, TUserCmdRply *packet);

#include "groupform.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "clientlists.h"
#include "clientsession.h"
#include "commands.h"
#include "languagetables.h"
#include "tradecontext.h"
#include "translateform.h"

TfrmGroup::TfrmGroup(TTradeContext &context, int group, QWidget *parent)
    : QDialog(parent ? parent : context.Parent), group(group)
{
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    lv = new QTreeWidget(this);
    lv->setColumnCount(2);
    lv->setRootIsDecorated(false);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->setUniformRowHeights(true);
    lv->header()->setStretchLastSection(true);
    lv->setMinimumWidth(420);
    Button1 = new QPushButton(this);
    SetTag(Button1, MakeTag(96));
    Button2 = new QPushButton(this);
    SetTag(Button2, MakeTag(74));
    for (QPushButton *b : {Button1, Button2})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lv);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    TranslateForm(this, true);
    RetranslateColumns();

    const TListOrder &orders = context.Lists.Orders;
    for (int i = 0; i < orders.Count(); ++i) {
        const TUserOrder *o = orders.Item(i);
        if (o->Group != 0 && o->Group != group)
            continue;
        auto *item = new QTreeWidgetItem(lv);
        item->setText(0, QString::number(o->Id));
        item->setText(1, o->Describe());
        item->setData(0, Qt::UserRole, o->Id);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, o->Group == group ? Qt::Checked : Qt::Unchecked);
        if (o->Group == group)
            newGroup = false;
    }
    lv->resizeColumnToContents(1);
    setWindowTitle((newGroup ? MessageText(42) : MessageText(30)) + QString::number(group));
}

void TfrmGroup::RetranslateColumns()
{
    lv->setHeaderLabels({CaptionText(MakeTag(18)), CaptionText(MakeTag(69))});
}

int TfrmGroup::RowCount() const { return lv->topLevelItemCount(); }

std::vector<uint32_t> TfrmGroup::CheckedIds() const
{
    std::vector<uint32_t> ids;
    for (int i = 0; i < lv->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = lv->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            ids.push_back(item->data(0, Qt::UserRole).toUInt());
    }
    return ids;
}

bool EditGroup(TTradeContext &context, int group, TPacketEvent onReply)
{
    if (group < 1)
        group = context.Lists.Orders.NewGroupNumber();
    // Group numbers travel in one byte; 0 and 255 are no groups.
    if (group < 1 || group > 254)
        return false;
    TfrmGroup form(context, group);
    if (form.RowCount() < 2)
        return false;
    if (context.Run(form) != QDialog::Accepted)
        return false;
    if (!onReply) {
        ClientSession *session = &context.Session;
        onReply = [session](TUserCmdRply *p) { GroupOrdersReply(*session, p); };
    }
    // One checked order travels with count 0: a group of one is dissolved.
    return context.Session.SendCommand(NewGroupOrdersCommand(uint8_t(group), form.CheckedIds()), nullptr,
                                       std::move(onReply));
}

void GroupOrdersReply(ClientSession &session, TUserCmdRply *packet)
{
    const TTradeResult r = ReadTradeResult(*packet);
    if (r.Code != 0)
        session.ShowStatus(r.Text, false);
}

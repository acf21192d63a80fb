#include "viewwindows.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>

#include "clientlists.h"
#include "languagetables.h"
#include "listicons.h"

namespace {

constexpr auto L = Qt::AlignLeft;
constexpr auto R = Qt::AlignRight;

TListColumn col(int caption, Qt::Alignment align, int min, int max = 0) { return {caption, align, min, max, true, min}; }
TListColumn fixed(int caption, Qt::Alignment align, int width) { return {caption, align, width, width, false, width}; }

} // namespace

TfrmBase::TfrmBase(int captionIndex, TUserBaseList &list, std::vector<TListColumn> columns, bool hasFooter,
                   std::vector<QIcon> icons, QWidget *parent)
    : TDockableForm(parent), captionIndex(captionIndex), list(list)
{
    setObjectName(QStringLiteral("view%1").arg(captionIndex));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    QFont small(QStringLiteral("Tahoma"));
    small.setPointSize(8);
    setFont(small);
    lv = new TCMListView(this);
    lv->SetColumns(std::move(columns));
    lv->SetHasFooter(hasFooter);
    lv->SetSmallImages(std::move(icons));
    lv->SetDataList([this](TRowView *view) { this->list.AttachView(view); }, [this] { this->list.DetachView(); });
    lv->setContextMenuPolicy(Qt::CustomContextMenu);
    setWidget(lv);
    contextMenu = new QMenu(this);
    connect(lv, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        UpdateActions();
        contextMenu->popup(lv->viewport()->mapToGlobal(at));
    });
    connect(contextMenu, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
    connect(lv, &TCMListView::selectedRowChanged, this, [this] { UpdateActions(); });
    Retranslate();
}

TfrmBase::~TfrmBase()
{
    // The list outlives the window: it must forget the rows first.
    if (lv->Attached())
        lv->Detach();
    lv->disconnect(this);
}

void TfrmBase::OpenByUser()
{
    lv->Attach();
    show();
    raise();
    emit openChanged(true);
}

void TfrmBase::CloseByUser()
{
    hide();
    lv->Detach();
    emit openChanged(false);
}

void TfrmBase::closeEvent(QCloseEvent *event)
{
    // The close button: the user closed it (a tab change only hides it).
    QDockWidget::closeEvent(event);
    if (event->isAccepted()) {
        lv->Detach();
        emit openChanged(false);
    }
}

QAction *TfrmBase::addAction(int caption, std::function<void()> run)
{
    auto *action = new QAction(this);
    translated.emplace_back(action, caption);
    action->setText(CaptionTextIn(IsEnglish(), caption));
    connect(action, &QAction::triggered, this, [run = std::move(run)] {
        if (run)
            run();
    });
    return action;
}

bool TfrmBase::connected() const { return actions && actions->Connected && actions->Connected(); }

void TfrmBase::Retranslate()
{
    setWindowTitle(CaptionTextIn(IsEnglish(), captionIndex));
    lv->RetranslateColumns();
    for (auto &[action, caption] : translated)
        action->setText(CaptionTextIn(IsEnglish(), caption));
    for (QAction *a : contextMenu->actions())
        if (QMenu *sub = a->menu(); sub && sub->property("captionIndex").isValid())
            sub->setTitle(CaptionTextIn(IsEnglish(), sub->property("captionIndex").toInt()));
}

// Quotes

TfrmViewCurrency::TfrmViewCurrency(TClientLists &lists, TViewActions &acts, QWidget *parent)
    : TfrmBase(56, lists.Instruments, {col(46, L, 80, 100), col(13, R, 30, 60), col(12, R, 30, 60), col(30, L, 30, 60)},
               false, InstrumentIcons(), parent)
{
    actions = &acts;
    const auto selectedId = [this] {
        const TUserCurrency *c = SelectedInstrument();
        return c ? int(c->Id) : 0;
    };
    AOpenDeal = addAction(73, [this, selectedId] {
        if (actions->OpenNewDeal)
            actions->OpenNewDeal(selectedId());
    });
    AOpenOrder = addAction(61, [this, selectedId] {
        if (actions->OpenNewOrder)
            actions->OpenNewOrder(selectedId());
    });
    contextMenu->addAction(AOpenDeal);
    contextMenu->addAction(AOpenOrder);
    contextMenu->addSeparator();
    QMenu *graphics = contextMenu->addMenu(CaptionTextIn(IsEnglish(), 34));
    graphics->setProperty("captionIndex", 34);
    const int captions[] = {8, 11, 9, 10, 40, 60};
    for (int timeframe = 1; timeframe <= 6; ++timeframe) {
        QAction *a = addAction(captions[timeframe - 1], [this, selectedId, timeframe] {
            if (actions->OpenChart && selectedId() > 0)
                actions->OpenChart(selectedId(), timeframe);
        });
        graphics->addAction(a);
        ChartActions.push_back(a);
    }
    connect(lv, &TCMListView::rowActivated, this, [this, selectedId](TListRow *) {
        if (actions->OpenChart && selectedId() > 0)
            actions->OpenChart(selectedId(), 1);
    });
    connect(lv, &TCMListView::selectedRowChanged, this, &TfrmViewCurrency::selectionChanged);
    connect(&lv->Rows(), &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { shownSelected = nullptr; });
    connect(&lv->Rows(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { shownSelected = nullptr; });
    UpdateActions();
}

TfrmViewCurrency::~TfrmViewCurrency()
{
    // The rows go while this window is still whole; after that nothing of
    // the list may call back into it.
    if (lv->Attached())
        lv->Detach();
    lv->disconnect(this);
    lv->Rows().disconnect(this);
}

void TfrmViewCurrency::selectionChanged(TListRow *row)
{
    // The selected row shows the selected variant (4..7) of its change icon.
    if (shownSelected && shownSelected != row && shownSelected->Image() >= 4 && shownSelected->Image() <= 7)
        shownSelected->SetImage(shownSelected->Image() - 4);
    if (row && row->Image() >= 0 && row->Image() <= 3)
        row->SetImage(row->Image() + 4);
    shownSelected = row;
}

TUserCurrency *TfrmViewCurrency::SelectedInstrument() const { return dynamic_cast<TUserCurrency *>(lv->SelectedRecord()); }

void TfrmViewCurrency::UpdateActions()
{
    const bool on = connected();
    AOpenDeal->setEnabled(on && actions->OpenNewDeal);
    AOpenOrder->setEnabled(on && actions->OpenNewOrder);
    const bool chart = SelectedInstrument() && actions->OpenChart;
    for (QAction *a : ChartActions)
        a->setEnabled(chart);
}

// Positions

TfrmViewOpenDeal::TfrmViewOpenDeal(TClientLists &lists, TViewActions &acts, QWidget *parent)
    : TfrmBase(71, lists.Positions,
               {col(18, L, 60), col(39, R, 100), col(94, L, 80), col(68, L, 60), col(109, R, 60), col(100, R, 60),
                col(57, R, 40), col(23, R, 60), col(25, R, 60), fixed(24, R, 60), col(80, R, 60)},
               true, PositionIcons(), parent)
{
    actions = &acts;
    AEdit = addAction(90, [this] {
        if (TUserDeal *d = SelectedDeal(); d && actions->OpenExistingDeal)
            actions->OpenExistingDeal(d);
    });
    ANew = addAction(73, [this] {
        if (actions->OpenNewDeal)
            actions->OpenNewDeal(0);
    });
    AReverse = addAction(48, [this] {
        if (TUserDeal *d = SelectedDeal(); d && actions->ReverseDeal)
            actions->ReverseDeal(d);
    });
    AOpenOrder = addAction(61, [this] {
        if (actions->OpenNewOrder)
            actions->OpenNewOrder(0);
    });
    contextMenu->addAction(AEdit);
    contextMenu->addAction(ANew);
    contextMenu->addAction(AReverse);
    contextMenu->addSeparator();
    contextMenu->addAction(AOpenOrder);
    connect(lv, &TCMListView::rowActivated, this, [this](TListRow *) {
        if (TUserDeal *d = SelectedDeal(); d && actions->OpenExistingDeal)
            actions->OpenExistingDeal(d);
    });
    UpdateActions();
}

TfrmViewOpenDeal::~TfrmViewOpenDeal()
{
    if (lv->Attached())
        lv->Detach();
    lv->disconnect(this);
}

TUserDeal *TfrmViewOpenDeal::SelectedDeal() const { return dynamic_cast<TUserDeal *>(lv->SelectedRecord()); }

void TfrmViewOpenDeal::UpdateActions()
{
    const bool on = connected();
    const bool selected = SelectedDeal() != nullptr;
    AEdit->setEnabled(on && selected && actions->OpenExistingDeal);
    ANew->setEnabled(on && actions->OpenNewDeal);
    AReverse->setEnabled(on && selected && actions->ReverseDeal);
    AOpenOrder->setEnabled(on && actions->OpenNewOrder);
}

// Orders

TfrmViewOrder::TfrmViewOrder(TClientLists &lists, TViewActions &acts, QWidget *parent)
    : TfrmBase(70, lists.Orders,
               {col(18, L, 30, 60), fixed(35, R, 50), col(37, R, 100), col(94, L, 80), col(103, L, 80), col(107, R, 60),
                col(101, R, 60), col(57, R, 40), col(23, R, 60), col(25, R, 60)},
               false, HistoryIcons(), parent)
{
    actions = &acts;
    AEdit = addAction(45, [this] {
        if (TUserOrder *o = SelectedOrder(); o && actions->OpenOrder)
            actions->OpenOrder(o);
    });
    ANew = addAction(61, [this] {
        if (actions->OpenNewOrder)
            actions->OpenNewOrder(0);
    });
    AOpenDeal = addAction(73, [this] {
        if (actions->OpenNewDeal)
            actions->OpenNewDeal(0);
    });
    AEditGroup = addAction(91, [this] {
        if (TUserOrder *o = SelectedOrder(); o && o->Group > 0 && actions->EditGroup)
            actions->EditGroup(o->Group);
    });
    ANewGroup = addAction(92, [this] {
        if (TUserOrder *o = SelectedOrder(); o && o->Group == 0 && actions->NewGroup)
            actions->NewGroup(o);
    });
    ADelete = addAction(104, [this] {
        if (TUserOrder *o = SelectedOrder(); o && connected() && actions->DeleteOrder)
            actions->DeleteOrder(o);
    });
    // Scoped to this window, so Delete elsewhere (a chart's element) stays theirs.
    ADelete->setShortcut(QKeySequence(Qt::Key_Delete));
    ADelete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QWidget::addAction(ADelete);
    contextMenu->addAction(AEdit);
    contextMenu->addAction(ANew);
    contextMenu->addAction(ADelete);
    contextMenu->addSeparator();
    contextMenu->addAction(AEditGroup);
    contextMenu->addAction(ANewGroup);
    contextMenu->addSeparator();
    contextMenu->addAction(AOpenDeal);
    // Opens the order even without a connection (it is only shown then).
    connect(lv, &TCMListView::rowActivated, this, [this](TListRow *) {
        if (TUserOrder *o = SelectedOrder(); o && actions->OpenOrder)
            actions->OpenOrder(o);
    });
    UpdateActions();
}

TfrmViewOrder::~TfrmViewOrder()
{
    if (lv->Attached())
        lv->Detach();
    lv->disconnect(this);
}

TUserOrder *TfrmViewOrder::SelectedOrder() const { return dynamic_cast<TUserOrder *>(lv->SelectedRecord()); }

void TfrmViewOrder::UpdateActions()
{
    const bool on = connected();
    const TUserOrder *o = SelectedOrder();
    AEdit->setEnabled(on && o && actions->OpenOrder);
    ANew->setEnabled(on && actions->OpenNewOrder);
    AOpenDeal->setEnabled(on && actions->OpenNewDeal);
    AEditGroup->setEnabled(on && o && o->Group > 0 && actions->EditGroup);
    ANewGroup->setEnabled(on && o && o->Group == 0 && actions->NewGroup);
    ADelete->setEnabled(on && o && actions->DeleteOrder);
}

// Histories

TfrmViewHistory::TfrmViewHistory(TClientLists &lists, const QList<QAction *> &menuActions, QWidget *parent)
    : TfrmBase(53, lists.AccountHistory,
               {col(18, L, 60), col(37, R, 100), col(102, L, 60), col(94, L, 80), fixed(57, L, 60), col(107, R, 60),
                col(38, R, 100), col(108, R, 60), col(23, R, 60), col(25, R, 60), col(24, R, 60), col(80, R, 60)},
               true, HistoryIcons(), parent)
{
    for (QAction *a : menuActions) {
        if (a)
            contextMenu->addAction(a);
        else
            contextMenu->addSeparator();
    }
}

TfrmViewHistoryOrder::TfrmViewHistoryOrder(TClientLists &lists, const QList<QAction *> &menuActions, QWidget *parent)
    : TfrmBase(52, lists.OrderHistory,
               {col(18, L, 60), col(39, R, 100), col(102, L, 60), col(94, L, 80), col(107, R, 60), fixed(57, R, 60),
                col(23, R, 60), col(25, R, 60), col(38, R, 100), col(99, R, 100)},
               false, HistoryIcons(), parent)
{
    for (QAction *a : menuActions) {
        if (a)
            contextMenu->addAction(a);
        else
            contextMenu->addSeparator();
    }
}

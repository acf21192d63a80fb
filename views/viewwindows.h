#pragma once

#include <functional>
#include <vector>

#include <QDockWidget>
#include <QList>

#include "cmlistview.h"
#include "dockableform.h"

class QAction;
class QMenu;
class TUserBaseList;
class TUserCurrency;
class TUserDeal;
class TUserOrder;
class TClientLists;

// What the list windows ask of the rest of the program. A missing callback
// leaves its action present and disabled.
struct TViewActions {
    std::function<bool()> Connected;
    std::function<void(int instrumentId)> OpenNewDeal;       // 0 or less: none selected
    std::function<void(TUserDeal *deal)> OpenExistingDeal;
    std::function<void(TUserDeal *deal)> ReverseDeal;
    std::function<void(int instrumentId)> OpenNewOrder;
    std::function<void(TUserOrder *order)> OpenOrder;
    std::function<void(TUserOrder *order)> DeleteOrder;      // asks first
    std::function<void(int group)> EditGroup;                // group > 0
    std::function<void(TUserOrder *order)> NewGroup;
    std::function<void(int instrumentId, int timeframe)> OpenChart;
};

// A dockable list window bound to one list. Rows exist while the user has
// the window open: opening attaches the list, closing it detaches; being
// hidden behind another tab keeps the rows.
class TfrmBase : public TDockableForm {
    Q_OBJECT
public:
    TfrmBase(int captionIndex, TUserBaseList &list, std::vector<TListColumn> columns, bool hasFooter,
             std::vector<QIcon> icons, QWidget *parent = nullptr);
    ~TfrmBase() override;

    TCMListView *lv;
    int CaptionIndex() const { return captionIndex; }
    TUserBaseList &List() { return list; }

    // Opens (attaches) or closes (detaches) the window as the user does.
    void OpenByUser();
    void CloseByUser();
    bool IsOpen() const { return lv->Attached(); }
    // Captions, column captions and actions in the current language.
    virtual void Retranslate();
    // Recomputes every action's enabled state.
    virtual void UpdateActions() {}
    QMenu *ContextMenu() const { return contextMenu; }

signals:
    void openChanged(bool open);

protected:
    void closeEvent(QCloseEvent *event) override;
    QAction *addAction(int captionIndex, std::function<void()> run);
    bool connected() const;
    QMenu *contextMenu;
    TViewActions *actions = nullptr;

private:
    int captionIndex;
    TUserBaseList &list;
    std::vector<std::pair<QAction *, int>> translated;
};

class TfrmViewCurrency : public TfrmBase {
    Q_OBJECT
public:
    TfrmViewCurrency(TClientLists &lists, TViewActions &actions, QWidget *parent = nullptr);
    ~TfrmViewCurrency() override;
    void UpdateActions() override;
    TUserCurrency *SelectedInstrument() const;
    QAction *AOpenDeal, *AOpenOrder;
    std::vector<QAction *> ChartActions;  // timeframes 1..6

private:
    void selectionChanged(TListRow *row);
    TListRow *shownSelected = nullptr;
};

class TfrmViewOpenDeal : public TfrmBase {
    Q_OBJECT
public:
    TfrmViewOpenDeal(TClientLists &lists, TViewActions &actions, QWidget *parent = nullptr);
    ~TfrmViewOpenDeal() override;
    void UpdateActions() override;
    TUserDeal *SelectedDeal() const;
    QAction *AEdit, *ANew, *AReverse, *AOpenOrder;
};

class TfrmViewOrder : public TfrmBase {
    Q_OBJECT
public:
    TfrmViewOrder(TClientLists &lists, TViewActions &actions, QWidget *parent = nullptr);
    ~TfrmViewOrder() override;
    void UpdateActions() override;
    TUserOrder *SelectedOrder() const;
    QAction *AEdit, *ANew, *AOpenDeal, *AEditGroup, *ANewGroup;
    QAction *ADelete;  // the Delete key while the list has the focus
};

// The two history windows take the main window's period actions.
class TfrmViewHistory : public TfrmBase {
    Q_OBJECT
public:
    TfrmViewHistory(TClientLists &lists, const QList<QAction *> &menuActions, QWidget *parent = nullptr);
};

class TfrmViewHistoryOrder : public TfrmBase {
    Q_OBJECT
public:
    TfrmViewHistoryOrder(TClientLists &lists, const QList<QAction *> &menuActions, QWidget *parent = nullptr);
};

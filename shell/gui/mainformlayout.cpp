// The main window's docking: the two dock panels, the dockable windows and
// the arrangement kept in the INI file from one run to the next.
#include <QTimer>

#include "dockhandler.h"
#include "frmchat.h"
#include "frmviewmailbox.h"
#include "mainform.h"

void TMainForm::buildDocking()
{
    // Only the left and the bottom edge take windows; a group of tabs is
    // dragged as a whole.
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::GroupedDragging);
    setCorner(Qt::BottomLeftCorner, Qt::BottomDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::BottomDockWidgetArea);
    dockHandler = new TDockHandler(this);
    dpLeft = new TDockPanel(QStringLiteral("dpLeft"), Qt::LeftDockWidgetArea, this);
    dpBottom = new TDockPanel(QStringLiteral("dpBottom"), Qt::BottomDockWidgetArea, this);
    dockHandler->AddDockPanel(dpLeft);
    dockHandler->AddDockPanel(dpBottom);
    // The names are part of the stored layout: renaming a window would drop
    // it from every saved arrangement.
    const std::pair<TDockableForm *, const char *> forms[] = {
        {frmViewCurrency, "frmViewCurrency"}, {frmViewOpenDeal, "frmViewOpenDeal"}, {frmViewOrder, "frmViewOrder"},
        {frmViewHistory, "frmViewHistory"},   {frmViewHistoryOrder, "frmViewHistoryOrder"},
        {frmViewMailBox, "frmViewMailBox"},   {frmChat, "frmChat"}};
    for (const auto &[form, name] : forms) {
        if (!form)
            continue;
        form->setObjectName(QString::fromLatin1(name));
        dockHandler->AddDockableForm(form);
    }
    // Headers follow every change once the docking has settled.
    dockHandler->OnChange = [this] {
        if (!layoutUpkeepQueued) {
            layoutUpkeepQueued = true;
            QTimer::singleShot(1, this, [this] {
                layoutUpkeepQueued = false;
                for (TDockableForm *f : dockHandler->Forms())
                    f->UpdateHeader();
            });
        }
    };
}

void TMainForm::restoreLayout()
{
    // The default arrangement first: it puts every window in the main
    // window's docking, which the stored one then rearranges.
    ApplyDefaultLayout();
    if (!dockHandler->LoadLayout(ini))
        return;
    // A list window the layout keeps hidden holds no rows.
    for (TfrmBase *v : std::initializer_list<TfrmBase *>{frmViewCurrency, frmViewOpenDeal, frmViewOrder, frmViewHistory,
                                                         frmViewHistoryOrder, frmViewMailBox})
        if (v && v->isHidden() && v->IsOpen())
            v->CloseByUser();
    updateActions();
}

void TMainForm::saveLayout()
{
    dockHandler->SaveLayout(ini);
}

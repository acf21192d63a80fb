// The keyboard commands traders know from other terminals. F9 and Ctrl+N
// act on the instrument selected in the quotes window; the main window's
// "Open position" keeps asking for one. None fires inside a text field.
#include <QApplication>
#include <QKeySequence>

#include "clientsession.h"
#include "cmlistview.h"
#include "mainform.h"
#include "shortcutguard.h"
#include "usercurrency.h"

void TMainForm::buildShortcuts()
{
    ANewDealSelected = extraAction(QStringLiteral("ANewDealSelected"), TExtraText::NewDealSelected,
                                   QKeySequence(Qt::Key_F9));
    connect(ANewDealSelected, &QAction::triggered, this, [this] {
        const TUserCurrency *selected = frmViewCurrency->SelectedInstrument();
        if (selected && session->LoggedIn() && viewActions.OpenNewDeal)
            viewActions.OpenNewDeal(selected->Id);
    });
    ANewChartSelected = extraAction(QStringLiteral("ANewChartSelected"), TExtraText::NewChartSelected,
                                    QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(ANewChartSelected, &QAction::triggered, this, [this] {
        // The timeframe a double click on the quote opens.
        if (const TUserCurrency *selected = frmViewCurrency->SelectedInstrument())
            OpenChart(selected->Id, 1);
    });
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(frmViewCurrency->lv, &TCMListView::selectedRowChanged, this, [this] { updateShortcutActions(); });

    auto *guard = new TShortcutGuard(this);
    // Ctrl+F is the crosshair's (mainformcrosshair.cpp).
    for (const QKeySequence &s : {QKeySequence(Qt::Key_F9), QKeySequence(Qt::CTRL | Qt::Key_N),
                                  QKeySequence(Qt::Key_F1), QKeySequence(Qt::Key_Delete),
                                  QKeySequence(Qt::CTRL | Qt::Key_F)})
        guard->Guard(s);
    qApp->installEventFilter(guard);
}

void TMainForm::updateShortcutActions()
{
    const TUserCurrency *selected = frmViewCurrency->SelectedInstrument();
    ANewDealSelected->setEnabled(selected && session->LoggedIn() && viewActions.OpenNewDeal);
    ANewChartSelected->setEnabled(selected != nullptr);
}

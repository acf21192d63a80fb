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
    ANewDealSelected = new QAction(this);
    ANewDealSelected->setObjectName(QStringLiteral("ANewDealSelected"));
    ANewDealSelected->setShortcut(QKeySequence(Qt::Key_F9));
    toolCaptions.emplace_back(ANewDealSelected, TExtraText::NewDealSelected);
    connect(ANewDealSelected, &QAction::triggered, this, [this] {
        const TUserCurrency *selected = frmViewCurrency->SelectedInstrument();
        if (selected && session->LoggedIn() && viewActions.OpenNewDeal)
            viewActions.OpenNewDeal(selected->Id);
    });
    ANewChartSelected = new QAction(this);
    ANewChartSelected->setObjectName(QStringLiteral("ANewChartSelected"));
    ANewChartSelected->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    toolCaptions.emplace_back(ANewChartSelected, TExtraText::NewChartSelected);
    connect(ANewChartSelected, &QAction::triggered, this, [this] {
        // The timeframe a double click on the quote opens.
        if (const TUserCurrency *selected = frmViewCurrency->SelectedInstrument())
            OpenChart(selected->Id, 1);
    });
    ANewDealSelected->setText(ExtraText(TExtraText::NewDealSelected));
    ANewChartSelected->setText(ExtraText(TExtraText::NewChartSelected));
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

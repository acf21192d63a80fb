// The look of the main window: View > Theme (the desktop's palette, or our
// light or dark one), the commands' icons and the toolbars' text.
#include <QActionGroup>
#include <QMenu>
#include <QToolBar>

#include "actionicons.h"
#include "mainform.h"

namespace {
const QString kThemeSection = QStringLiteral("desktop");
const QString kThemeKey = QStringLiteral("Theme");
const QString kToolbarTextKey = QStringLiteral("ToolbarText");
} // namespace

void TMainForm::applyActionIcons()
{
    const std::pair<QAction *, const char *> icons[] = {
        {AConnect, "connect"},          {ADisconnect, "disconnect"},     {AOpenDeal, "open-position"},
        {AOpedOrder, "new-order"},      {ANewDealSelected, "open-position"}, {ANewChartSelected, "chart"},
        {AReport, "report"},            {ASaveChartPicture, "chart-picture"}, {help, "help"},
        {Apointer, "pointer"},          {AZoomChart, "zoom"},            {AHLine, "hline"},
        {AVLine, "vline"},              {ALine, "line"},                 {AfibArc, "fib-arc"},
        {AFibFan, "fib-fan"},           {AfibTimeZone, "fib-timezones"}, {AfibbLine, "fib-retracement"},
        {Aind, "indicators"},           {Atrix, "trix"},                 {ASar, "sar"},
        {AMAInd, "moving-average"},     {AZoomIn, "zoom-in"},            {AZoomOut, "zoom-out"},
        {ACrosshair, "crosshair"}};
    for (const auto &[action, name] : icons)
        action->setIcon(ActionIcon(QString::fromLatin1(name)));
    applyToolbarStyle();
}

void TMainForm::applyToolbarStyle()
{
    const Qt::ToolButtonStyle style = AToolbarText->isChecked() ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly;
    for (QToolBar *bar : {ToolBar1, ChartToolBar})
        if (bar)
            bar->setToolButtonStyle(style);
}

void TMainForm::buildThemeMenu(QMenu *view)
{
    QMenu *menu = view->addMenu(QString());
    toolCaptions.emplace_back(menu->menuAction(), TExtraText::Theme);
    auto *group = new QActionGroup(this);
    const auto entry = [&](TExtraText caption, TTheme theme) {
        QAction *a = menu->addAction(ExtraText(caption));
        a->setCheckable(true);
        a->setData(int(theme));
        group->addAction(a);
        toolCaptions.emplace_back(a, caption);
        connect(a, &QAction::triggered, this, [this, theme] { SetTheme(theme); });
        return a;
    };
    AThemeSystem = entry(TExtraText::ThemeSystem, TTheme::System);
    AThemeLight = entry(TExtraText::ThemeLight, TTheme::Light);
    AThemeDark = entry(TExtraText::ThemeDark, TTheme::Dark);
    const TTheme stored = ThemeFromText(ini.ReadString(kThemeSection, kThemeKey, QStringLiteral("System")));
    // The desktop's look stays untouched unless another theme was chosen.
    if (stored != TTheme::System || CurrentTheme() != TTheme::System)
        ApplyTheme(stored);
    for (QAction *a : group->actions())
        a->setChecked(TTheme(a->data().toInt()) == stored);

    AToolbarText = view->addAction(ExtraText(TExtraText::ToolbarTextUnderIcons));
    AToolbarText->setCheckable(true);
    AToolbarText->setChecked(ini.ReadInteger(kThemeSection, kToolbarTextKey, 0) != 0);
    toolCaptions.emplace_back(AToolbarText, TExtraText::ToolbarTextUnderIcons);
    connect(AToolbarText, &QAction::toggled, this, [this](bool on) {
        ini.WriteInteger(kThemeSection, kToolbarTextKey, on ? 1 : 0);
        applyToolbarStyle();
    });
}

void TMainForm::SetTheme(TTheme theme)
{
    ApplyTheme(theme);
    ini.WriteString(kThemeSection, kThemeKey, ThemeText(theme));
    for (QAction *a : {AThemeSystem, AThemeLight, AThemeDark})
        a->setChecked(TTheme(a->data().toInt()) == theme);
}

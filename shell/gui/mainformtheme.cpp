// View > Theme: the desktop's palette, or our light or dark one.
#include <QActionGroup>
#include <QMenu>

#include "mainform.h"

namespace {
const QString kThemeSection = QStringLiteral("desktop");
const QString kThemeKey = QStringLiteral("Theme");
} // namespace

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
}

void TMainForm::SetTheme(TTheme theme)
{
    ApplyTheme(theme);
    ini.WriteString(kThemeSection, kThemeKey, ThemeText(theme));
    for (QAction *a : {AThemeSystem, AThemeLight, AThemeDark})
        a->setChecked(TTheme(a->data().toInt()) == theme);
}

#include "dockhandler.h"

#include <algorithm>

#include <QMainWindow>
#include <QTabBar>

#include "dockableform.h"
#include "inifile.h"
#include "layouttext.h"

namespace {

const QString kSection = QStringLiteral("desktop");
const QString kKey = QStringLiteral("defaultk");

QString key(const char *name) { return QString::fromLatin1(name); }

} // namespace

// ---- TDockPanel

TDockPanel::TDockPanel(const QString &name, Qt::DockWidgetArea a, QMainWindow *o) : QObject(o), area(a), owner(o)
{
    setObjectName(name);
}

QList<TDockableForm *> TDockPanel::VisibleClients() const
{
    QList<TDockableForm *> out;
    for (TDockableForm *f : owner->findChildren<TDockableForm *>(Qt::FindDirectChildrenOnly))
        if (!f->isFloating() && !f->isHidden() && owner->dockWidgetArea(f) == area)
            out << f;
    return out;
}

QString TDockPanel::GetLayout() const
{
    TLayoutValues clients;
    QRect bounds;
    for (TDockableForm *f : owner->findChildren<TDockableForm *>(Qt::FindDirectChildrenOnly)) {
        if (f->isFloating() || owner->dockWidgetArea(f) != area)
            continue;
        clients.emplace_back(f->objectName(), f->GetLayout());
        if (!f->isHidden())
            bounds |= f->geometry();
    }
    return LayoutText({{key("DockClients"), LayoutText(clients)},
                       {key("Width"), QString::number(bounds.isValid() ? bounds.width() : 0)},
                       {key("Height"), QString::number(bounds.isValid() ? bounds.height() : 0)},
                       {key("DockingData"), LayoutHex(owner->saveState())}});
}

void TDockPanel::SetLayout(const QString &text)
{
    const TLayoutValues v = ParseLayoutText(text);
    const QByteArray state = LayoutFromHex(LayoutValue(v, key("DockingData")));
    if (!state.isEmpty())
        owner->restoreState(state);
    for (const auto &[name, layout] : ParseLayoutText(LayoutValue(v, key("DockClients"))))
        if (auto *f = owner->findChild<TDockableForm *>(name, Qt::FindDirectChildrenOnly))
            f->UpdateHeader();
}

// ---- TDockHandler

TDockHandler::TDockHandler(QMainWindow *o) : QObject(o), owner(o) {}

void TDockHandler::AddDockPanel(TDockPanel *panel)
{
    if (std::find(panels.begin(), panels.end(), panel) == panels.end())
        panels.push_back(panel);
}

void TDockHandler::RemoveDockPanel(TDockPanel *panel)
{
    panels.erase(std::remove(panels.begin(), panels.end(), panel), panels.end());
}

void TDockHandler::AddDockableForm(TDockableForm *form)
{
    if (std::find(forms.begin(), forms.end(), form) != forms.end())
        return;
    forms.push_back(form);
    const auto changed = [this] { DoChange(); };
    connect(form, &QDockWidget::topLevelChanged, this, changed);
    connect(form, &QDockWidget::dockLocationChanged, this, changed);
    connect(form, &QDockWidget::visibilityChanged, this, changed);
    connect(form, &QObject::destroyed, this, [this, form] { RemoveDockableForm(form); });
}

void TDockHandler::RemoveDockableForm(TDockableForm *form)
{
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
}

void TDockHandler::EndUpdate()
{
    if (updating > 0)
        --updating;
    if (updating == 0)
        DoChange();
}

void TDockHandler::DoChange()
{
    if (updating == 0 && OnChange)
        OnChange();
}

TDockableForm *TDockHandler::formNamed(const QString &name) const
{
    for (TDockableForm *f : forms)
        if (f->objectName() == name)
            return f;
    return nullptr;
}

TDockPanel *TDockHandler::panelNamed(const QString &name) const
{
    for (TDockPanel *p : panels)
        if (p->objectName() == name)
            return p;
    return nullptr;
}

QList<QList<TDockableForm *>> TDockHandler::TabGroups() const
{
    QList<QList<TDockableForm *>> groups;
    QList<TDockableForm *> seen;
    // The tab bars of the main window name the window in front of each group.
    QList<QDockWidget *> fronts;
    for (QTabBar *bar : owner->findChildren<QTabBar *>(Qt::FindDirectChildrenOnly))
        if (bar->isVisible() && bar->currentIndex() >= 0)
            fronts << reinterpret_cast<QDockWidget *>(bar->tabData(bar->currentIndex()).value<quintptr>());
    for (TDockableForm *f : forms) {
        if (seen.contains(f) || f->isFloating())
            continue;
        // A tab that floats keeps a place in Qt's group: it is not a member.
        QList<TDockableForm *> group{f};
        for (QDockWidget *w : owner->tabifiedDockWidgets(f))
            if (auto *form = qobject_cast<TDockableForm *>(w); form && !form->isFloating() && !group.contains(form))
                group << form;
        if (group.size() < 2)
            continue;
        for (qsizetype i = 0; i < group.size(); ++i)
            if (fronts.contains(group[i]))
                group.move(i, 0);
        seen << group;
        groups << group;
    }
    return groups;
}

QString TDockHandler::hostLayout(const QList<TDockableForm *> &group) const
{
    TLayoutValues docked;
    bool visible = false;
    for (TDockableForm *f : group) {
        docked.emplace_back(f->objectName(), f->GetLayout());
        visible = visible || !f->isHidden();
    }
    TDockableForm *front = group.first();
    const QRect r(front->mapToGlobal(QPoint(0, 0)), front->size());
    return LayoutText({{key("DockedControls"), LayoutText(docked)},
                       {key("ActivePage"), front->windowTitle()},
                       {key("Left"), QString::number(r.left())},
                       {key("Top"), QString::number(r.top())},
                       {key("Width"), QString::number(r.width())},
                       {key("Height"), QString::number(r.height())},
                       {key("Visible"), LayoutBoolText(visible)},
                       {key("Floating"), LayoutBoolText(front->isFloating())}});
}

QString TDockHandler::SaveToString() const
{
    TLayoutValues floating, hosts, docks;
    for (TDockableForm *f : forms)
        if (f->isFloating())
            floating.emplace_back(f->objectName(), f->GetLayout());
    int n = 0;
    for (const QList<TDockableForm *> &group : TabGroups())
        hosts.emplace_back(QStringLiteral("PageControlHost%1").arg(++n), hostLayout(group));
    for (TDockPanel *p : panels)
        docks.emplace_back(p->objectName(), p->GetLayout());
    return LayoutText({{key("FloatingDockForms"), LayoutText(floating)},
                       {key("PageControlHosts"), LayoutText(hosts)},
                       {key("DockPanels"), LayoutText(docks)},
                       {key("OtherHosts"), OnSaveOtherHosts ? OnSaveOtherHosts() : QString()},
                       {key("Version"), QStringLiteral("1")}});
}

void TDockHandler::LoadFromString(const QString &text)
{
    BeginUpdate();
    for (TDockableForm *f : forms)
        f->LastHost = TDockableForm::HostKind::None;
    const TLayoutValues v = ParseLayoutText(text);
    if (LayoutValue(v, key("Version")) == QStringLiteral("1")) {
        // The main window's docking state carries the panels, the tab groups
        // and the floating windows at once; the entries then put back what
        // it does not: floating bounds, visibility and the tab in front.
        for (const auto &[name, layout] : ParseLayoutText(LayoutValue(v, key("DockPanels"))))
            if (TDockPanel *p = panelNamed(name))
                p->SetLayout(layout);
        for (const auto &[name, layout] : ParseLayoutText(LayoutValue(v, key("FloatingDockForms"))))
            if (TDockableForm *f = formNamed(name))
                f->SetLayout(layout);
        for (const auto &[name, layout] : ParseLayoutText(LayoutValue(v, key("PageControlHosts")))) {
            const TLayoutValues host = ParseLayoutText(layout);
            const QString active = LayoutValue(host, key("ActivePage"));
            for (const auto &[form, formLayout] : ParseLayoutText(LayoutValue(host, key("DockedControls"))))
                if (TDockableForm *f = formNamed(form); f && f->windowTitle().trimmed() == active.trimmed() && !f->isHidden())
                    f->raise();
        }
        if (OnLoadOtherHosts)
            OnLoadOtherHosts(LayoutValue(v, key("OtherHosts")));
    } else {
        loadOlderLayout(text);
    }
    for (TDockableForm *f : forms) {
        f->KeepOnScreen();
        f->UpdateHeader();
    }
    EndUpdate();
}

void TDockHandler::loadOlderLayout(const QString &text)
{
    const TLayoutValues v = ParseLayoutText(text);
    for (const auto &[name, layout] : ParseLayoutText(LayoutValue(v, key("Floating"))))
        if (TDockableForm *f = formNamed(name))
            f->SetLayout(layout);
    if (OnLoadOtherHosts && !LayoutValue(v, key("MainForm")).isEmpty())
        OnLoadOtherHosts(QStringLiteral("MainForm=") + LayoutValue(v, key("MainForm")));
    // Only the left and bottom panels exist here; the other sides' hosts
    // have nowhere to go and are skipped.
    const std::pair<const char *, Qt::DockWidgetArea> sides[] = {{"Left", Qt::LeftDockWidgetArea},
                                                                  {"Bottom", Qt::BottomDockWidgetArea}};
    for (const auto &[side, area] : sides) {
        const TLayoutValues host = ParseLayoutText(LayoutValue(v, QStringLiteral("pc") + key(side)));
        if (host.size() < 4)
            continue;
        QList<TDockableForm *> docked;
        for (qsizetype i = 3; i < host.size(); ++i)
            if (TDockableForm *f = formNamed(host[i].first)) {
                owner->addDockWidget(area, f);
                f->setFloating(false);
                f->show();
                if (!docked.isEmpty())
                    owner->tabifyDockWidget(docked.first(), f);
                docked << f;
            }
        const int tab = LayoutInt(host, key("TabIndex"), -1);
        if (tab >= 0 && tab < docked.size())
            docked[tab]->raise();
        else if (!docked.isEmpty())
            docked.first()->raise();
    }
}

bool TDockHandler::IsShown(const QDockWidget *window)
{
    if (!window || window->isHidden())
        return false;
    if (window->isFloating())
        return true;
    const QWidget *parent = window->parentWidget();
    return !parent || parent->isVisible();
}

void TDockHandler::SetShown(QDockWidget *window, bool show)
{
    if (!window)
        return;
    if (!show) {
        window->hide();
        return;
    }
    window->show();
    window->raise();  // in front of its tab group, or of the other windows
    if (window->isFloating())
        window->activateWindow();
}

void TDockHandler::SaveLayout(TIniFile &ini) const
{
    ini.WriteLongValue(kSection, kKey, SaveToString());
}

bool TDockHandler::LayoutTextUsable(const QString &text)
{
    bool ok = true;
    const TLayoutValues v = ParseLayoutText(text, &ok);
    if (!ok)
        return false;
    if (LayoutValue(v, key("Version")) != QStringLiteral("1")) {
        for (const char *older : {"Floating", "MainForm", "pcLeft", "pcTop", "pcRight", "pcBottom"})
            if (!LayoutValue(v, key(older)).isEmpty())
                return true;
        return false;
    }
    for (const char *list : {"FloatingDockForms", "PageControlHosts", "DockPanels"}) {
        for (const auto &[name, layout] : ParseLayoutText(LayoutValue(v, key(list)), &ok)) {
            if (!ok)
                return false;
            const TLayoutValues inner = ParseLayoutText(layout, &ok);
            if (!ok)
                return false;
            const QString data = LayoutValue(inner, key("DockingData"));
            if (!data.isEmpty() && LayoutFromHex(data).isEmpty())
                return false;
        }
        if (!ok)
            return false;
    }
    return true;
}

bool TDockHandler::LoadLayout(const TIniFile &ini)
{
    const QString text = ini.ReadLongValue(kSection, kKey);
    // A damaged text is left aside: the default arrangement stands.
    if (text.isEmpty() || !LayoutTextUsable(text))
        return false;
    LoadFromString(text);
    return true;
}

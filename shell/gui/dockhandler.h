#pragma once

#include <functional>
#include <vector>

#include <QObject>
#include <QString>

class QMainWindow;
class QDockWidget;
class TDockableForm;
class TIniFile;

// One of the main window's two dock panels: the windows docked along its
// left edge (dpLeft) or its bottom (dpBottom). The arrangement inside them
// is the main window's own docking.
class TDockPanel : public QObject {
    Q_OBJECT
public:
    TDockPanel(const QString &name, Qt::DockWidgetArea area, QMainWindow *owner);
    Qt::DockWidgetArea Area() const { return area; }
    // The docked windows that are not hidden.
    QList<TDockableForm *> VisibleClients() const;
    // DockClients (name = window layout), Width, Height and DockingData (the
    // main window's docking state as hexadecimal text).
    QString GetLayout() const;
    void SetLayout(const QString &text);

private:
    Qt::DockWidgetArea area;
    QMainWindow *owner;
};

// Knows every dock panel and dockable window of the main window; writes the
// whole arrangement as one text and rebuilds it from one. Windows stacked
// as tabs form the tab hosts of the text ("PageControlHosts").
class TDockHandler : public QObject {
    Q_OBJECT
public:
    explicit TDockHandler(QMainWindow *owner);

    std::function<void()> OnChange;
    std::function<QString()> OnSaveOtherHosts;
    std::function<void(const QString &)> OnLoadOtherHosts;

    void AddDockPanel(TDockPanel *panel);
    void RemoveDockPanel(TDockPanel *panel);
    void AddDockableForm(TDockableForm *form);
    void RemoveDockableForm(TDockableForm *form);
    const std::vector<TDockPanel *> &Panels() const { return panels; }
    const std::vector<TDockableForm *> &Forms() const { return forms; }

    void BeginUpdate() { ++updating; }
    void EndUpdate();
    void DoChange();

    QString SaveToString() const;
    void LoadFromString(const QString &text);
    // Whether a stored text can be a layout: balanced quotes at every level,
    // a version or the older form's keys, docking data as hexadecimal.
    static bool LayoutTextUsable(const QString &text);

    // The window is visible and so is every parent (a tab behind another
    // counts as shown).
    static bool IsShown(const QDockWidget *window);
    // Shows it (in front of its tab group) or hides it.
    static void SetShown(QDockWidget *window, bool show);

    // The INI file keeps the text under "desktop", "defaultk" in 6-bit
    // encoded pieces; false when there is none (the default layout is
    // then the caller's to apply).
    void SaveLayout(TIniFile &ini) const;
    bool LoadLayout(const TIniFile &ini);

    // The tab groups: each a list of windows stacked as tabs, the one in
    // front first.
    QList<QList<TDockableForm *>> TabGroups() const;

private:
    TDockableForm *formNamed(const QString &name) const;
    TDockPanel *panelNamed(const QString &name) const;
    QString hostLayout(const QList<TDockableForm *> &group) const;
    void loadOlderLayout(const QString &text);

    QMainWindow *owner;
    std::vector<TDockPanel *> panels;
    std::vector<TDockableForm *> forms;
    int updating = 0;
};

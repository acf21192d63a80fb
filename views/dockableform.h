#pragma once

#include <QDockWidget>

class QLabel;

// Base of every window that docks into the main window: the quotes, the
// positions, the orders, both histories, the mailbox and the chat. While it
// sits alone in a dock panel it carries a 16-pixel header strip with its
// caption in navy; floating it has its own frame, stacked as a tab the tab
// is its title.
class TDockableForm : public QDockWidget {
    Q_OBJECT
public:
    enum class HostKind { None, Panel, TabHost };

    explicit TDockableForm(QWidget *parent = nullptr);

    static constexpr int HeaderHeight = 16;

    // Where it was docked last (kept while it floats; forgotten when a whole
    // layout is rebuilt).
    HostKind LastHost = HostKind::None;

    // Left, Top, Width, Height (screen coordinates), Visible, Floating.
    virtual QString GetLayout() const;
    // Bounds, floating or docked, and visibility from such a text; where a
    // docked window goes is for its host to say.
    virtual void SetLayout(const QString &text);
    // Shows the header only while docked alone in a panel.
    virtual void UpdateHeader();
    // A floating window entirely outside every screen moves onto the
    // nearest one.
    void KeepOnScreen();

    bool HeaderShown() const;
    QLabel *HeaderCaption() const { return caption; }

private:
    QWidget *header;
    QLabel *caption;
    QWidget *noTitle;  // a tab's title bar: nothing
};

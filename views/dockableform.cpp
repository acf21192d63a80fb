#include "dockableform.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QLabel>
#include <QMainWindow>

#include "layouttext.h"
#include "theme.h"

TDockableForm::TDockableForm(QWidget *parent) : QDockWidget(parent)
{
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::BottomDockWidgetArea);
    header = new QWidget(this);
    header->setFixedHeight(HeaderHeight);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    caption = new QLabel(header);
    caption->setAutoFillBackground(true);
    FollowTheme(caption, [this] {
        // Navy with white text in a light theme.
        QPalette colours = QApplication::palette();
        colours.setColor(QPalette::Window, DockCaptionBackground(colours));
        colours.setColor(QPalette::WindowText, DockCaptionText(colours));
        caption->setPalette(colours);
    });
    row->addWidget(caption);
    noTitle = new QWidget(this);
    noTitle->setFixedHeight(0);
    header->hide();
    noTitle->hide();
    connect(this, &QDockWidget::windowTitleChanged, this,
            [this](const QString &title) { caption->setText(QStringLiteral("  ") + title); });
    connect(this, &QDockWidget::topLevelChanged, this, [this] { UpdateHeader(); });
    connect(this, &QDockWidget::dockLocationChanged, this, [this] { UpdateHeader(); });
}

bool TDockableForm::HeaderShown() const
{
    return titleBarWidget() == header;
}

void TDockableForm::UpdateHeader()
{
    auto *main = qobject_cast<QMainWindow *>(parentWidget());
    QWidget *wanted = nullptr;  // floating: the frame's own title
    if (!isFloating() && main) {
        // Qt keeps a place in the group for a tab that floats or is hidden;
        // only the windows really shown as tabs make a group.
        bool tabbed = false;
        for (const QDockWidget *other : main->tabifiedDockWidgets(this))
            tabbed = tabbed || (!other->isFloating() && !other->isHidden());
        wanted = tabbed ? noTitle : header;
        LastHost = tabbed ? HostKind::TabHost : HostKind::Panel;
    }
    if (titleBarWidget() != wanted) {
        // Taking a widget out of the title hands it back to us, hidden.
        setTitleBarWidget(wanted);
        for (QWidget *w : {header, noTitle})
            if (w != wanted)
                w->hide();
    }
}

void TDockableForm::KeepOnScreen()
{
    if (!isFloating())
        return;
    const QRect r = geometry();
    QRect nearest;
    qint64 best = -1;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect s = screen->availableGeometry();
        if (s.intersects(r))
            return;
        const QPoint d = s.center() - r.center();
        const qint64 distance = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
        if (best < 0 || distance < best) {
            best = distance;
            nearest = s;
        }
    }
    if (best < 0)
        return;
    // Saved on a screen this desktop does not have: onto the nearest one.
    const QSize size = r.size().boundedTo(nearest.size());
    setGeometry(QRect(QPoint(qBound(nearest.left(), r.left(), nearest.right() - size.width() + 1),
                             qBound(nearest.top(), r.top(), nearest.bottom() - size.height() + 1)),
                      size));
}

QString TDockableForm::GetLayout() const
{
    const QRect r = isFloating() ? geometry() : QRect(mapToGlobal(QPoint(0, 0)), size());
    return LayoutText({{QStringLiteral("Left"), QString::number(r.left())},
                       {QStringLiteral("Top"), QString::number(r.top())},
                       {QStringLiteral("Width"), QString::number(r.width())},
                       {QStringLiteral("Height"), QString::number(r.height())},
                       {QStringLiteral("Visible"), LayoutBoolText(isVisible())},
                       {QStringLiteral("Floating"), LayoutBoolText(isFloating())}});
}

void TDockableForm::SetLayout(const QString &text)
{
    const TLayoutValues v = ParseLayoutText(text);
    const QRect r(LayoutInt(v, QStringLiteral("Left"), 0), LayoutInt(v, QStringLiteral("Top"), 0),
                  qBound(20, LayoutInt(v, QStringLiteral("Width"), 200), 32768),
                  qBound(20, LayoutInt(v, QStringLiteral("Height"), 200), 32768));
    const bool floating = LayoutBool(v, QStringLiteral("Floating"));
    setFloating(floating);
    if (floating)
        setGeometry(r);
    KeepOnScreen();
    setVisible(LayoutBool(v, QStringLiteral("Visible")));
    UpdateHeader();
}

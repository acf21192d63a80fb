#include "dockableform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>

#include "layouttext.h"

TDockableForm::TDockableForm(QWidget *parent) : QDockWidget(parent)
{
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::BottomDockWidgetArea);
    header = new QWidget(this);
    header->setFixedHeight(HeaderHeight);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    caption = new QLabel(header);
    caption->setAutoFillBackground(true);
    QPalette navy = caption->palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    navy.setColor(QPalette::WindowText, Qt::white);
    caption->setPalette(navy);
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
        const bool tabbed = !main->tabifiedDockWidgets(this).isEmpty();
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
    setVisible(LayoutBool(v, QStringLiteral("Visible")));
    UpdateHeader();
}

#include "theme.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <iterator>
#include <vector>

namespace {

TTheme current = TTheme::System;

// The classes a platform theme may give palettes of their own; those
// would keep their light colours under a dark application palette.
constexpr const char *kThemedClasses[] = {
    "QAbstractItemView", "QAbstractButton", "QToolButton", "QCheckBox", "QRadioButton", "QHeaderView",
    "QComboBox",         "QTabBar",         "QLabel",      "QGroupBox", "QMenu",        "QMenuBar",
    "QTextEdit",         "QTextControl",    "QLineEdit",   "QMessageBoxLabel"};

// What the desktop gave us, kept for going back to System.
struct DesktopLook {
    QString styleName;
    QPalette palette;
    std::vector<QPalette> classPalettes;  // as kThemedClasses
};
const DesktopLook &desktopLook()
{
    static const DesktopLook look = [] {
        DesktopLook d{QApplication::style() ? QApplication::style()->name() : QString(), QApplication::palette(), {}};
        for (const char *name : kThemedClasses)
            d.classPalettes.push_back(QApplication::palette(name));
        return d;
    }();
    return look;
}

void setPalettes(const QPalette &palette, const std::vector<QPalette> *perClass)
{
    QApplication::setPalette(palette);
    for (size_t k = 0; k < std::size(kThemedClasses); ++k)
        QApplication::setPalette(perClass ? (*perClass)[k] : palette, kThemedClasses[k]);
}

QPalette darkPalette()
{
    QPalette p;
    const QColor window(45, 45, 48), base(30, 30, 32), text(220, 220, 220), disabled(127, 127, 127);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(42, 42, 46));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabled);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, QColor(70, 70, 74));
    p.setColor(QPalette::Midlight, QColor(60, 60, 64));
    p.setColor(QPalette::Mid, QColor(36, 36, 38));
    p.setColor(QPalette::Dark, QColor(20, 20, 22));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Link, QColor(90, 160, 255));
    p.setColor(QPalette::Highlight, QColor(42, 110, 200));
    p.setColor(QPalette::HighlightedText, Qt::white);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    return p;
}

class ThemeFollower : public QObject {
public:
    ThemeFollower(QWidget *widget, std::function<void()> apply) : QObject(widget), apply(std::move(apply))
    {
        widget->installEventFilter(this);
        this->apply();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ApplicationPaletteChange)
            apply();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> apply;
};

} // namespace

TTheme ThemeFromText(const QString &text)
{
    if (text.compare(QStringLiteral("Light"), Qt::CaseInsensitive) == 0)
        return TTheme::Light;
    if (text.compare(QStringLiteral("Dark"), Qt::CaseInsensitive) == 0)
        return TTheme::Dark;
    return TTheme::System;
}

QString ThemeText(TTheme theme)
{
    switch (theme) {
    case TTheme::Light: return QStringLiteral("Light");
    case TTheme::Dark: return QStringLiteral("Dark");
    case TTheme::System: break;
    }
    return QStringLiteral("System");
}

void ApplyTheme(TTheme theme)
{
    const DesktopLook &desktop = desktopLook();
    current = theme;
    if (theme == TTheme::System) {
        if (QApplication::style()->name() != desktop.styleName)
            QApplication::setStyle(QStyleFactory::create(desktop.styleName));
        setPalettes(desktop.palette, &desktop.classPalettes);
        return;
    }
    if (QApplication::style()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    setPalettes(theme == TTheme::Dark ? darkPalette() : QApplication::style()->standardPalette(), nullptr);
}

TTheme CurrentTheme() { return current; }

bool IsDarkPalette(const QPalette &palette) { return palette.color(QPalette::Base).lightness() < 128; }

QColor ListStripeColor(const QPalette &palette)
{
    if (!IsDarkPalette(palette))
        return QColor(226, 226, 226);
    return palette.color(QPalette::Base).lighter(135);
}

QColor ListFooterColor(const QPalette &palette)
{
    if (!IsDarkPalette(palette))
        return QColor(192, 192, 192);
    return palette.color(QPalette::Base).lighter(210);
}

QColor ContentBackground(const QPalette &palette)
{
    return IsDarkPalette(palette) ? palette.color(QPalette::Base) : QColor(Qt::white);
}

QColor DockCaptionBackground(const QPalette &palette)
{
    return IsDarkPalette(palette) ? palette.color(QPalette::Highlight).darker(160) : QColor(0, 0, 128);
}

QColor DockCaptionText(const QPalette &palette)
{
    return IsDarkPalette(palette) ? palette.color(QPalette::HighlightedText) : QColor(Qt::white);
}

void FollowTheme(QWidget *widget, std::function<void()> apply)
{
    new ThemeFollower(widget, std::move(apply));
}

#pragma once

#include <functional>

#include <QColor>
#include <QPalette>
#include <QString>

class QWidget;

// The widgets' colour theme: the desktop's palette (System), or a light or
// dark one of our own. In a light palette the lists, the dock captions and
// the message panes keep their classic fixed colours; in a dark one those
// colours come from the palette, so no white row shines out of it. Charts
// keep their own colours whatever the theme.
enum class TTheme { System, Light, Dark };

TTheme ThemeFromText(const QString &text);  // "System", "Light", "Dark"; else System
QString ThemeText(TTheme theme);
// Sets the application's palette (and the Fusion style for Light and Dark).
void ApplyTheme(TTheme theme);
TTheme CurrentTheme();

bool IsDarkPalette(const QPalette &palette);
// The fixed colours and their dark counterparts.
QColor ListStripeColor(const QPalette &palette);
QColor ListFooterColor(const QPalette &palette);
QColor ContentBackground(const QPalette &palette);  // mail and chat text
QColor DockCaptionBackground(const QPalette &palette);
QColor DockCaptionText(const QPalette &palette);

// Runs `apply` now and again whenever the application's palette changes,
// for as long as the widget lives.
void FollowTheme(QWidget *widget, std::function<void()> apply);

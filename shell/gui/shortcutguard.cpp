#include "shortcutguard.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

TShortcutGuard::TShortcutGuard(QObject *parent) : QObject(parent) {}

bool TShortcutGuard::IsTextField(const QObject *object)
{
    if (qobject_cast<const QLineEdit *>(object) || qobject_cast<const QAbstractSpinBox *>(object))
        return true;
    if (const auto *combo = qobject_cast<const QComboBox *>(object))
        return combo->isEditable();
    // Read-only rich text (the mail reader) is no place for typing.
    if (const auto *text = qobject_cast<const QTextEdit *>(object))
        return !text->isReadOnly();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(object))
        return !plain->isReadOnly();
    return false;
}

bool TShortcutGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && IsTextField(watched)) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QKeySequence &s : guarded)
            if (s.matches(pressed) == QKeySequence::ExactMatch) {
                event->accept();
                return true;
            }
    }
    return QObject::eventFilter(watched, event);
}

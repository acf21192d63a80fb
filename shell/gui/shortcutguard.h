#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

// Keeps the given shortcuts from firing while a text field has the focus:
// there the key is typing (F9, Delete or Ctrl+N belong to the field).
// Installed on the application; accepting the shortcut override hands the
// key to the widget as an ordinary key press.
class TShortcutGuard : public QObject {
    Q_OBJECT
public:
    explicit TShortcutGuard(QObject *parent = nullptr);
    void Guard(const QKeySequence &sequence) { guarded.append(sequence); }
    static bool IsTextField(const QObject *object);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QKeySequence> guarded;
};

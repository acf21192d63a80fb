#pragma once

#include <QString>
#include <stdexcept>

// The program's own exception: its message is the text the user sees.
class EForexException : public std::runtime_error {
public:
    explicit EForexException(const QString &message)
        : std::runtime_error(message.toStdString()), text(message) {}
    const QString &Message() const { return text; }

private:
    QString text;
};

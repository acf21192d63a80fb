#pragma once

#include <stdexcept>

// Raised when a technical-analysis call fails; the text is what the user sees.
class TAXException : public std::runtime_error {
public:
    TAXException() : std::runtime_error("TA: Internal error") {}
};

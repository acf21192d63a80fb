#pragma once

#include <chrono>
#include <functional>

// The one application object of a test program (created on first use).
void EnsureTestApp();

// Runs the event loop until the condition holds or the time-out passes.
bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 10000);

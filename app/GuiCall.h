#pragma once

#include <functional>

// Runs call on the GUI thread and waits for its result, at most timeoutMs and
// no longer than stop() stays false (looked at every 100 ms). On the GUI
// thread itself it runs at once. False when it did not run; once it has
// started it is waited for, so its work is never half counted.
bool callOnGuiThread(const std::function<bool()> &call, int timeoutMs, const std::function<bool()> &stop);

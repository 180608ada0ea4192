// Small operating-system services of the main window: the state of the Shift and Ctrl keys,
// a millisecond counter, the read-only attribute of a file and opening a web page.
#pragma once

#include "platform/core/TestSeam.h"

#include <QString>
#include <Qt>
#include <cstdint>
#include <functional>

namespace platform {

// --- Key state ------------------------------------------------------------------------------

// True while the key is held at the moment of the call (not as of the last event).
bool isShiftDown();
bool isCtrlDown();

// Test seam: a probe that answers the modifier keys instead of the keyboard.
using KeyStateProbe = std::function<Qt::KeyboardModifiers()>;
extern TestSeam<KeyStateProbe> keyStateProbe;

// --- Millisecond counter --------------------------------------------------------------------

// Milliseconds on a monotonic clock since an arbitrary start; wraps around after 2^32 ms, so
// the difference of two readings (unsigned) is the time between them.
std::uint32_t timeGetTime();

// Milliseconds from the reading `start` of timeGetTime until now.
int elapsedMs(std::uint32_t start);

// --- Files ----------------------------------------------------------------------------------

// True when the file counts as read-only: its owner has no write permission, or the user
// running the program cannot write it. A file that cannot be looked up counts as read-only.
bool isFileReadOnly(const QString& fileName);

// --- Browser --------------------------------------------------------------------------------

// Opens `url` in the user's browser; false when no browser took it. With a test opener
// set, the opener gets the address instead.
bool openUrlInBrowser(const QString& url);

using UrlOpener = std::function<bool(const QString& url)>;
extern TestSeam<UrlOpener> urlOpener;

} // namespace platform

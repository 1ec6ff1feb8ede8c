#pragma once
// Requests from outside to end the program politely, so that it can close the card and remove
// its tray icon first. Natively: SIGINT and SIGTERM. Windows: the console's Ctrl-C, Ctrl-Break
// and close events, when the program has a console (the tray program has none; it ends by its
// menu or by WM_CLOSE).

namespace gb::platform {

using TerminationHandler = void (*)(void* context);

// From now on a request calls `handler` on the loop's thread, from a timer of the thread's loop
// (never from the signal itself), within about 100 ms while the loop runs. A second request
// while the first is handled is ignored. Null removes the handler; requests then end the
// program as the system does by default. False when the handler cannot be installed.
bool setTerminationHandler(TerminationHandler handler, void* context);

} // namespace gb::platform

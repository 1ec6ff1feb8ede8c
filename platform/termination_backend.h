#pragma once
// The system side of platform/termination.h: catches the requests and raises a flag.

namespace gb::platform::termination_backend {

bool install();
void uninstall();
// True once per request that arrived since the last call.
bool takeRequest();

} // namespace gb::platform::termination_backend

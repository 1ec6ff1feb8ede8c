#include "platform/program_arguments.h"

#include <windows.h>

namespace gb::platform {

void setProgramArguments(int, char**) {}

std::string programArguments() {
    return skipProgramName(GetCommandLineA());
}

} // namespace gb::platform

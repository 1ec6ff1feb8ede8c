#include "platform/program_arguments.h"

namespace gb::platform {

namespace {
int g_argc = 0;
char** g_argv = nullptr;
} // namespace

void setProgramArguments(int argc, char** argv) {
    g_argc = argc;
    g_argv = argv;
}

std::string programArguments() {
    return joinArguments(g_argc, g_argv);
}

} // namespace gb::platform

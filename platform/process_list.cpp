#include "platform/process_list.h"

namespace gb::platform {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct Search {
    const char* name;
    bool found;
};

} // namespace

bool sameProcessName(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (lowerAscii(*a) != lowerAscii(*b)) return false;
    }
    return *a == *b;
}

bool isProcessRunning(const char* name) {
    Search search{name, false};
    const bool walked = visitProcessNames(
        [](const char* exeName, void* context) {
            auto* s = static_cast<Search*>(context);
            s->found = sameProcessName(exeName, s->name);
            return s->found;
        },
        &search);
    return walked && search.found;
}

bool listProcessNames(std::vector<std::string>& names) {
    names.clear();
    return visitProcessNames(
        [](const char* exeName, void* context) {
            static_cast<std::vector<std::string>*>(context)->emplace_back(exeName);
            return false;
        },
        &names);
}

} // namespace gb::platform

#include "app/session/NamingSystem.h"

#include <cstdio>
#include <cstdlib>

namespace {
NamingSystem* g_system = nullptr;
}

void SetNamingSystem(NamingSystem* system) { g_system = system; }

NamingSystem& CurrentNamingSystem() {
    if (!g_system) {
        // A start-up order fault, not a user's situation: stop loudly.
        std::fputs("output naming used before SetNamingSystem\n", stderr);
        std::abort();
    }
    return *g_system;
}

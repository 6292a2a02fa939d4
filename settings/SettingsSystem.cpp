#include "settings/SettingsSystem.h"

#include <cstdio>
#include <cstdlib>

namespace {
SettingsSystem* g_system = nullptr;
}

void SetSettingsSystem(SettingsSystem* system) { g_system = system; }

SettingsSystem& CurrentSettingsSystem() {
    if (!g_system) {
        // A start-up order fault, not a user's situation: stop loudly.
        std::fputs("settings used before SetSettingsSystem\n", stderr);
        std::abort();
    }
    return *g_system;
}

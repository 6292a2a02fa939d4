#include "app/ThemeSwitch.h"

// Not built yet: the theme helper is not started.
void StartBasicThemeHelper() {}

#include "app/Session.h"

// Recording sessions are not built yet: none ever runs.
bool Recording = false;

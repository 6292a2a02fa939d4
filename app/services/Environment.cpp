#include "app/services/Environment.h"

Environment& Env() {
    static Environment env;
    return env;
}

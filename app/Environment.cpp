#include "app/Environment.h"

Environment& Env() {
    static Environment env;
    return env;
}

#include "verify/probe_limit.h"

unsigned long probeLimitMs() {
    return 60000;
}

#include "model/record_block.h"

namespace {
int g_failSuccesses = -1;  // -1: no failure injected
int g_failCount = 0;
}  // namespace

void InjectAllocationFailures(int successes, int failures) {
    g_failSuccesses = successes;
    g_failCount = failures;
}

bool TakeInjectedAllocationFailure() {
    if (g_failSuccesses < 0 || g_failCount <= 0) return false;
    if (g_failSuccesses > 0) {
        --g_failSuccesses;
        return false;
    }
    if (--g_failCount == 0) g_failSuccesses = -1;
    return true;
}

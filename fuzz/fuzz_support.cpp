#include "fuzz_support.h"

// Before any input: the folder exists and the settings folders point into it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Folder();
    return 0;
}

#include "runtime/process_end.h"

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TESSERA_CHECKS_LEAKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSERA_CHECKS_LEAKS 1
#endif
#endif

#ifdef TESSERA_CHECKS_LEAKS
#include <sanitizer/lsan_interface.h>
#endif

void endProcess(int exitCode) {
#ifdef TESSERA_CHECKS_LEAKS
    __lsan_do_leak_check();
#endif
    _exit(exitCode);
}

#include "runtime/local_time.h"

#include <windows.h>

LocalTimeOfDay readLocalTimeOfDay() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wHour, now.wMinute, now.wSecond < 59 ? now.wSecond : 59, now.wMilliseconds};
}

#pragma once

// The thread checker's run-time takes signal handling over and defers a signal that arrives
// outside a blocking call; now and then it never hands it on while the process waits in poll, so
// a test that signals a waiting process would hang. Such cases run in every other build.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool threadCheckerHoldsSignals = true;
#elif defined(__has_feature)
inline constexpr bool threadCheckerHoldsSignals = __has_feature(thread_sanitizer);
#else
inline constexpr bool threadCheckerHoldsSignals = false;
#endif

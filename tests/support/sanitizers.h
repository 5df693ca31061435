#pragma once

// The sanitizers this build runs under, as gcc (__SANITIZE_*__) and clang (__has_feature) say.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool addressCheckerBuild = true;
#elif defined(__has_feature)
inline constexpr bool addressCheckerBuild = __has_feature(address_sanitizer);
#else
inline constexpr bool addressCheckerBuild = false;
#endif

#if defined(__SANITIZE_THREAD__)
inline constexpr bool threadCheckerBuild = true;
#elif defined(__has_feature)
inline constexpr bool threadCheckerBuild = __has_feature(thread_sanitizer);
#else
inline constexpr bool threadCheckerBuild = false;
#endif

// The thread checker's run-time takes signal handling over and defers a signal that arrives
// outside a blocking call; now and then it never hands it on while the process waits in poll, so
// a test that signals a waiting process would hang. Such cases run in every other build.
inline constexpr bool threadCheckerHoldsSignals = threadCheckerBuild;

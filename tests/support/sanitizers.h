#pragma once

// The sanitizers this build runs under, as gcc (__SANITIZE_*__) and clang (__has_feature) say.
#if defined(__has_feature)
#define CLANG_FEATURE(feature) __has_feature(feature)
#else
#define CLANG_FEATURE(feature) 0
#endif

#if defined(__SANITIZE_ADDRESS__) || CLANG_FEATURE(address_sanitizer)
inline constexpr bool addressCheckerBuild = true;
#else
inline constexpr bool addressCheckerBuild = false;
#endif

#if defined(__SANITIZE_THREAD__) || CLANG_FEATURE(thread_sanitizer)
inline constexpr bool threadCheckerBuild = true;
#else
inline constexpr bool threadCheckerBuild = false;
#endif

// The thread checker's run-time takes signal handling over and defers a signal that arrives
// outside a blocking call; now and then it never hands it on while the process waits in poll, so
// a test that signals a waiting process would hang. Such cases run in every other build.
inline constexpr bool threadCheckerHoldsSignals = threadCheckerBuild;

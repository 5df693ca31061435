// The byte shuffle the engine's kernel and the canvas's grey rows share, compiled once per vector
// instruction set: include it after hwy/highway.h in a file that foreach_target.h compiles for
// each, outside any namespace.
#if defined(TESSERA_RUNTIME_BYTE_LOOKUP_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TESSERA_RUNTIME_BYTE_LOOKUP_INL_H_
#undef TESSERA_RUNTIME_BYTE_LOOKUP_INL_H_
#else
#define TESSERA_RUNTIME_BYTE_LOOKUP_INL_H_
#endif

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace byte_lookup {
namespace HWY_NAMESPACE {

// Byte k of the result is bytes[indices[k]] within each 128-bit block, or 0 where the index has
// its top bit set. Highway's WASM target emulates this shuffle a byte at a time through memory,
// for the sake of an engine bug fixed long before the engines that run the page; the browser's
// own instruction does it at once, and gives 0 for every index past the block.
template <class V, class VI>
HWY_INLINE VI lookupBytesOr0(V bytes, VI indices) {
#if HWY_TARGET == HWY_WASM
    return VI{wasm_i8x16_swizzle(bytes.raw, indices.raw)};
#else
    return hwy::HWY_NAMESPACE::TableLookupBytesOr0(bytes, indices);
#endif
}

} // namespace HWY_NAMESPACE
} // namespace byte_lookup
HWY_AFTER_NAMESPACE();

#endif

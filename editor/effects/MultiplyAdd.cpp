#include "FilterWindow.h"

namespace effects::detail {

// Built for AVX2 as well where the processor has it; the loader picks the
// variant once.
__attribute__((target_clones("avx2", "default"))) void MultiplyAdd16(int16_t* acc, const uint8_t* s, int16_t k,
                                                                     int n)
{
    for (int i = 0; i < n; ++i)
        acc[i] = int16_t(acc[i] + k * int16_t(s[i]));
}

__attribute__((target_clones("avx2", "default"))) void MultiplyAdd(int16_t* acc, const int16_t* s, int16_t k, int n)
{
    for (int i = 0; i < n; ++i)
        acc[i] = int16_t(acc[i] + k * s[i]);
}

__attribute__((target_clones("avx2", "default"))) void MultiplyAdd(int32_t* acc, const uint8_t* s, int32_t k, int n)
{
    for (int i = 0; i < n; ++i)
        acc[i] += k * int32_t(s[i]);
}

__attribute__((target_clones("avx2", "default"))) void MultiplyAdd(int32_t* acc, const int32_t* s, int32_t k, int n)
{
    for (int i = 0; i < n; ++i)
        acc[i] += k * s[i];
}

__attribute__((target_clones("avx2", "default"))) void FinishMultiply32(const int16_t* sums, uint8_t* out, int n,
                                                                        const Multiply32Steps& steps)
{
    steps.run(sums, out, n);
}

__attribute__((target_clones("avx2", "default"))) void FinishMultiply32(const int32_t* sums, uint8_t* out, int n,
                                                                        const Multiply32Steps& steps)
{
    steps.run(sums, out, n);
}

} // namespace effects::detail

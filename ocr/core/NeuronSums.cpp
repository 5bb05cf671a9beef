#include "NeuronSums.h"

#include <cstring>

namespace ocr {

namespace {
using Quad = float __attribute__((vector_size(4 * sizeof(float))));
} // namespace

void BlockSumsBaseline(const float* in, int nIn, const float* w, float* sums)
{
    Quad s[4] = {};
    for (int i = 0; i <= nIn; ++i, w += kNeuronBlock) {
        const Quad x = {in[i], in[i], in[i], in[i]};
        for (int k = 0; k < 4; ++k) {
            Quad weight;
            std::memcpy(&weight, w + 4 * k, sizeof weight);
            s[k] = s[k] + x * weight;
        }
    }
    std::memcpy(sums, s, sizeof s);
}

#if defined(__x86_64__) || defined(__i386__)
namespace {
using Oct = float __attribute__((vector_size(8 * sizeof(float))));
} // namespace

[[gnu::target("avx")]] void BlockSumsAvx(const float* in, int nIn, const float* w, float* sums)
{
    Oct s[2] = {};
    for (int i = 0; i <= nIn; ++i, w += kNeuronBlock) {
        const Oct x = {in[i], in[i], in[i], in[i], in[i], in[i], in[i], in[i]};
        for (int k = 0; k < 2; ++k) {
            Oct weight;
            std::memcpy(&weight, w + 8 * k, sizeof weight);
            s[k] = s[k] + x * weight;
        }
    }
    std::memcpy(sums, s, sizeof s);
}

bool HasAvx()
{
    // May run during static initialisation, before the processor data are set up.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}
#else
void BlockSumsAvx(const float* in, int nIn, const float* w, float* sums)
{
    BlockSumsBaseline(in, nIn, w, sums);
}

bool HasAvx()
{
    return false;
}
#endif

} // namespace ocr

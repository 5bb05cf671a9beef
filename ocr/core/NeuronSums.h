#pragma once
// The weighted sums of one block of 16 neurons, the inner loop of a network
// pass. Each neuron's sum runs over its inputs 0..nIn in order and in single
// precision (a product, then a sum, each rounded); the variants differ only
// in how many neurons share a register.

namespace ocr {

inline constexpr int kNeuronBlock = 16;

// in: inputs 0..nIn. w: for each input in turn, the 16 neurons' weights side
// by side. sums: 16 results.
void BlockSumsBaseline(const float* in, int nIn, const float* w, float* sums);
// The same with 8-wide registers; call only where HasAvx().
void BlockSumsAvx(const float* in, int nIn, const float* w, float* sums);
bool HasAvx();

} // namespace ocr

#pragma once
// A feed-forward network with one hidden layer, trained by online
// back-propagation. It maps a glyph picture onto the prototype picture of its
// class; classes are ranked by how many output neurons agree with each
// class's target picture.

#include "Image.h"

#include <cstdint>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace ocr {

// Entry 0 is the bias input (1.0 in the input and hidden layers); 1..N are neurons.
using TLayer = std::vector<float>;

struct TTrainingPairs {
    std::vector<TLayer> InputPatterns; // NInputNeuron + 1 each, entry 0 unused
    TLayer TargetPattern;              // NOutputNeuron + 1, entry 0 unused
    std::string TargetPatternClass;
};
using TTrainingSet = std::vector<TTrainingPairs>;

class TBackProp {
public:
    TBackProp(int nInputNeuron, int nHiddenNeuron, int nOutputNeuron);
    TBackProp(int inputPatternHeight, int inputPatternWidth, int targetPatternHeight,
              int targetPatternWidth, int nHiddenNeuron);
    // Reads a knowledge file; throws std::system_error when it cannot be opened.
    explicit TBackProp(const std::string& fileName);

    int NInputNeuron() const { return nInput_; }
    int NHiddenNeuron() const { return nHidden_; }
    int NOutputNeuron() const { return nOutput_; }
    int InputPatternHeight() const { return inputPatternHeight_; }
    int InputPatternWidth() const { return inputPatternWidth_; }
    int TargetPatternHeight() const { return targetPatternHeight_; }
    int TargetPatternWidth() const { return targetPatternWidth_; }

    std::string GetKnownSymbol(int index) const { return FTrainingSet.at(index).TargetPatternClass; }
    int GetNTrainingPair() const { return static_cast<int>(FTrainingSet.size()); }
    // Neurons 1..NOutputNeuron, indexed from 0.
    std::vector<float> GetOutputLayer() const;
    const TTrainingSet& TrainingSet() const { return FTrainingSet; }

    // Weights as rows of incoming weights; column 0 is the bias weight.
    float HiddenWeight(int h, int i) const { return hiddenWeights_[hiddenIndex(h, i)]; }
    void SetHiddenWeight(int h, int i, float w) { hiddenWeights_[hiddenIndex(h, i)] = w; }
    float OutputWeight(int o, int h) const { return outputWeights_[outputIndex(o, h)]; }
    void SetOutputWeight(int o, int h, float w) { outputWeights_[outputIndex(o, h)] = w; }

    void SetLearningRate(float v) { LearningRate = v; }
    void SetMaxEpoch(int v) { MaxEpoch = v; }
    void SetWeightsInitFactor(float v) { WeightsInitFactor = v; }

    void AllocateLayers();
    // Uniform in [-WeightsInitFactor, +WeightsInitFactor) from the network's
    // generator; SeedRandom makes it reproducible (the clock seeds it otherwise).
    void RandomizeWeights();
    void SeedRandom(std::uint32_t seed) { random_.seed(seed); }
    void CountTrainingNeurons();
    void AddTrainingPairs(const TTrainingPairs& pairs);
    void Retrain();
    void Train();
    // One forward pass over InputLayer; allocates nothing.
    void Apply();

    // The best class, or "" when the network knows no class.
    std::string GetResult() const;
    // How far the best class stands ahead of the next: the runner-up's wrong
    // output neurons minus the best's; NOutputNeuron with one class, 0 with none.
    int ResultMargin() const;
    // All classes ranked by falling match; equal matches keep training order.
    void GetResult(std::vector<std::string>& symbols, std::vector<std::string>& matchs,
                   std::vector<std::string>& unmatchs, char decimalSeparator = '.') const;

    void NewKnowledge();
    void NewKnowledge(int inputPatternHeight, int inputPatternWidth, int targetPatternHeight,
                      int targetPatternWidth, int nHiddenNeuron);
    // Throws std::system_error when the file cannot be opened or written.
    void OpenKnowledge(const std::string& fileName);
    void SaveKnowledge(const std::string& fileName);

    // Reads a knowledge file from data starting at pos and advances pos past
    // what it read. Reading stops where the data end; false when the file was
    // incomplete or its sizes cannot be in the data (nothing is then read
    // beyond that point).
    bool OpenKnowledgeFromStream(std::span<const std::uint8_t> data, std::size_t& pos);
    std::vector<std::uint8_t> KnowledgeBytes() const;

    // The picture convention: exactly black is +1, anything else -1, row by
    // row from entry 1. False when the bitmap's size does not fit the layer.
    static bool BitmapToLayer(const Image& bitmap, TLayer& layer);

    // Public state, as the trainer and the glyph frame use it.
    TLayer InputLayer;
    TLayer FHiddenLayer;
    TLayer OutputLayer;
    TTrainingSet FTrainingSet;
    float ErrorThreshold = 1.0f;
    float LearningRate = 0.001f;
    int MaxEpoch = 10000;
    bool StopTraining = false;
    float TargetClassificationError = -1.0f;
    float TargetSquaredError = 0.01f;
    float WeightsInitFactor = 0.5f;
    int NNeuronError = 0;
    int NTrainingEpoch = 0;
    int NTrainingNeuron = 0;
    float TrainingError = 0.0f;
    bool Modified = false;
    std::function<void(TBackProp&)> OnTraining;
    std::function<void(TBackProp&)> OnTrainingFinish;
    // Called after every trained example so a user interface can stay live.
    std::function<void()> ProcessMessages;

    // Neurons are computed in blocks of this many, their weights interleaved.
    static constexpr int kLanes = 16;

private:
    TBackProp() = default;
    void setSizes(int inH, int inW, int tH, int tW, int nHidden);
    static int blocks(int n) { return (n + kLanes - 1) / kLanes; }
    // Row r of a weight matrix is neuron r (1-based); neuron r sits in block
    // (r-1)/kLanes, lane (r-1)%kLanes, and the block stores, for each input
    // i, the weights of its kLanes neurons side by side.
    std::size_t hiddenIndex(int h, int i) const
    {
        return packedIndex(h, i, nInput_ + 1);
    }
    std::size_t outputIndex(int o, int h) const { return packedIndex(o, h, nHidden_ + 1); }
    static std::size_t packedIndex(int neuron, int input, int nInputs)
    {
        const auto r = static_cast<std::size_t>(neuron - 1);
        return ((r / kLanes) * static_cast<std::size_t>(nInputs) + static_cast<std::size_t>(input)) *
                   kLanes +
               r % kLanes;
    }
    int wrongNeurons(const TLayer& target) const;
    double matchOf(int wrong) const;
    static void forwardLayer(const float* in, int nIn, const std::vector<float>& weights,
                             int nOut, float* out);
    float uniform01();

    int nInput_ = 0, nHidden_ = 0, nOutput_ = 0;
    int inputPatternHeight_ = 0, inputPatternWidth_ = 0;
    int targetPatternHeight_ = 0, targetPatternWidth_ = 0;
    std::vector<float> hiddenWeights_;
    std::vector<float> outputWeights_;
    std::vector<float> outputDelta_; // training scratch, sized with the layers
    std::vector<float> hiddenDelta_;
    std::mt19937 random_;
};

// Activation f(x) = 2 / (1 + e^-x) - 1 and its derivative through the output y.
float Activation(float x);
float ActivationDerivative(float y);

// Scales the bounding box of the black pixels into a Width x Height white
// picture, keeping proportions, anchored top-left, nearest neighbour.
Image FitBitmapToPattern(const Image& bitmap, int width, int height);

} // namespace ocr

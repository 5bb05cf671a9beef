#include "BackProp.h"

#include "NeuronSums.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace ocr {

namespace {

static_assert(TBackProp::kLanes == kNeuronBlock);
using BlockSums = void (*)(const float*, int, const float*, float*);
const BlockSums blockSums = HasAvx() ? BlockSumsAvx : BlockSumsBaseline;

class Reader {
public:
    Reader(std::span<const std::uint8_t> data, std::size_t& pos) : data_(data), pos_(pos) {}
    std::size_t remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    bool int32(std::int32_t& v) { return raw(&v, 4); }
    bool real(float& v) { return raw(&v, 4); }
    bool raw(void* dst, std::size_t n)
    {
        if (remaining() < n)
            return false;
        std::memcpy(dst, data_.data() + pos_, n);
        pos_ += n;
        return true;
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t& pos_;
};

void putInt(std::vector<std::uint8_t>& out, std::int32_t v)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
    out.insert(out.end(), p, p + 4);
}
void putReal(std::vector<std::uint8_t>& out, float v)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
    out.insert(out.end(), p, p + 4);
}
void putReals(std::vector<std::uint8_t>& out, const float* v, std::size_t n)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(v);
    out.insert(out.end(), p, p + n * sizeof(float));
}

[[noreturn]] void throwFileError(const std::string& fileName)
{
    throw std::system_error(errno ? errno : EIO, std::generic_category(), fileName);
}

// The match as its text shows it: at most four significant digits and two decimals.
double roundedMatch(double value)
{
    int intDigits = 1;
    for (double limit = 10.0; std::fabs(value) >= limit; limit *= 10.0)
        ++intDigits;
    const int kept = std::clamp(4 - intDigits, 0, 2);
    const double scale = std::pow(10.0, kept);
    return std::round(value * scale) / scale;
}

// Fixed notation with two decimals and at most four significant digits.
std::string matchText(double value, char decimalSeparator)
{
    const double rounded = roundedMatch(value);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", rounded);
    std::string text = buf;
    std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

} // namespace

float Activation(float x)
{
    return 2.0f / (1.0f + std::exp(-x)) - 1.0f;
}

float ActivationDerivative(float y)
{
    return (1.0f + y) * (1.0f - y) / 2.0f;
}

TBackProp::TBackProp(int nInputNeuron, int nHiddenNeuron, int nOutputNeuron)
{
    random_.seed(static_cast<std::uint32_t>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    // A single picture row keeps the stored sizes consistent with the counts.
    setSizes(1, nInputNeuron, 1, nOutputNeuron, nHiddenNeuron);
    AllocateLayers();
    RandomizeWeights();
}

TBackProp::TBackProp(int inputPatternHeight, int inputPatternWidth, int targetPatternHeight,
                     int targetPatternWidth, int nHiddenNeuron)
    : TBackProp(inputPatternHeight * inputPatternWidth, nHiddenNeuron,
                targetPatternHeight * targetPatternWidth)
{
    setSizes(inputPatternHeight, inputPatternWidth, targetPatternHeight, targetPatternWidth,
             nHiddenNeuron);
}

TBackProp::TBackProp(const std::string& fileName) : TBackProp(0, 0, 0)
{
    OpenKnowledge(fileName);
}

void TBackProp::setSizes(int inH, int inW, int tH, int tW, int nHidden)
{
    inputPatternHeight_ = inH;
    inputPatternWidth_ = inW;
    targetPatternHeight_ = tH;
    targetPatternWidth_ = tW;
    nHidden_ = nHidden;
    nInput_ = inH * inW;
    nOutput_ = tH * tW;
}

std::vector<float> TBackProp::GetOutputLayer() const
{
    return {OutputLayer.begin() + 1, OutputLayer.end()};
}

void TBackProp::AllocateLayers()
{
    const int oldIn = InputLayer.empty() ? 0 : static_cast<int>(InputLayer.size()) - 1;
    const int oldHidden = FHiddenLayer.empty() ? 0 : static_cast<int>(FHiddenLayer.size()) - 1;
    const int oldOut = OutputLayer.empty() ? 0 : static_cast<int>(OutputLayer.size()) - 1;

    InputLayer.resize(static_cast<std::size_t>(nInput_) + 1);
    FHiddenLayer.resize(static_cast<std::size_t>(nHidden_) + 1);
    OutputLayer.resize(static_cast<std::size_t>(nOutput_) + 1);
    InputLayer[0] = 1.0f;
    FHiddenLayer[0] = 1.0f;

    // Keep existing weights where both the old and the new sizes have them.
    auto repack = [](const std::vector<float>& old, int oldRows, int oldCols, int rows, int cols) {
        std::vector<float> fresh(static_cast<std::size_t>(blocks(rows)) * kLanes *
                                 static_cast<std::size_t>(cols + 1));
        for (int r = 1; r <= std::min(rows, oldRows); ++r)
            for (int c = 0; c <= std::min(cols, oldCols); ++c)
                fresh[packedIndex(r, c, cols + 1)] = old[packedIndex(r, c, oldCols + 1)];
        return fresh;
    };
    if (oldIn != nInput_ || oldHidden != nHidden_ || oldOut != nOutput_ || hiddenWeights_.empty()) {
        hiddenWeights_ = repack(hiddenWeights_, oldHidden, oldIn, nHidden_, nInput_);
        outputWeights_ = repack(outputWeights_, oldOut, oldHidden, nOutput_, nHidden_);
    }
    outputDelta_.assign(static_cast<std::size_t>(nOutput_) + 1, 0.0f);
    hiddenDelta_.assign(static_cast<std::size_t>(nHidden_) + 1, 0.0f);
}

float TBackProp::uniform01()
{
    // 24 random bits give every float in [0, 1) on the 2^-24 grid, the same
    // on every platform.
    return static_cast<float>(random_() >> 8) * (1.0f / 16777216.0f);
}

void TBackProp::RandomizeWeights()
{
    // Row 0 of both matrices is never applied, trained or saved, so it is not kept.
    for (int h = 1; h <= nHidden_; ++h)
        for (int i = 0; i <= nInput_; ++i)
            SetHiddenWeight(h, i, (uniform01() - 0.5f) * 2.0f * WeightsInitFactor);
    for (int o = 1; o <= nOutput_; ++o)
        for (int h = 0; h <= nHidden_; ++h)
            SetOutputWeight(o, h, (uniform01() - 0.5f) * 2.0f * WeightsInitFactor);
}

void TBackProp::CountTrainingNeurons()
{
    NTrainingNeuron = 0;
    for (const auto& pairs : FTrainingSet)
        NTrainingNeuron += static_cast<int>(pairs.InputPatterns.size()) * nOutput_;
}

void TBackProp::AddTrainingPairs(const TTrainingPairs& pairs)
{
    auto it = std::find_if(FTrainingSet.begin(), FTrainingSet.end(), [&](const TTrainingPairs& p) {
        return p.TargetPatternClass == pairs.TargetPatternClass;
    });
    const bool isNew = it == FTrainingSet.end();
    if (isNew) {
        TTrainingPairs fresh;
        fresh.TargetPattern.assign(static_cast<std::size_t>(nOutput_) + 1, 0.0f);
        for (int o = 1; o <= nOutput_ && o < static_cast<int>(pairs.TargetPattern.size()); ++o)
            fresh.TargetPattern[o] = pairs.TargetPattern[o];
        fresh.TargetPatternClass = pairs.TargetPatternClass;
        FTrainingSet.push_back(std::move(fresh));
        it = FTrainingSet.end() - 1;
    }
    for (const auto& example : pairs.InputPatterns) {
        TLayer copy(static_cast<std::size_t>(nInput_) + 1, 0.0f);
        for (int i = 1; i <= nInput_ && i < static_cast<int>(example.size()); ++i)
            copy[i] = example[i];
        it->InputPatterns.push_back(std::move(copy));
    }
    CountTrainingNeurons();
    Modified = true;
}

void TBackProp::Retrain()
{
    RandomizeWeights();
    NTrainingEpoch = 0;
    Train();
}

void TBackProp::forwardLayer(const float* in, int nIn, const std::vector<float>& weights,
                             int nOut, float* out)
{
    const float* w = weights.data();
    for (int b = 0; b < blocks(nOut); ++b, w += static_cast<std::ptrdiff_t>(nIn + 1) * kLanes) {
        float sums[kLanes];
        blockSums(in, nIn, w, sums);
        const int first = b * kLanes + 1;
        for (int l = 0; l < kLanes && first + l <= nOut; ++l)
            out[first + l] = Activation(sums[l]);
    }
}

void TBackProp::Apply()
{
    forwardLayer(InputLayer.data(), nInput_, hiddenWeights_, nHidden_, FHiddenLayer.data());
    forwardLayer(FHiddenLayer.data(), nHidden_, outputWeights_, nOutput_, OutputLayer.data());
}

void TBackProp::Train()
{
    const int startEpoch = NTrainingEpoch;
    StopTraining = false;
    bool goOn = true;
    while (goOn) {
        ++NTrainingEpoch;
        TrainingError = 0.0f;
        NNeuronError = 0;
        for (const auto& pairs : FTrainingSet) {
            for (const auto& example : pairs.InputPatterns) {
                std::copy(example.begin() + 1, example.end(), InputLayer.begin() + 1);
                Apply();
                for (int o = 1; o <= nOutput_; ++o) {
                    const float d = pairs.TargetPattern[o] - OutputLayer[o];
                    if (std::fabs(d) >= ErrorThreshold)
                        ++NNeuronError;
                    TrainingError += d * d;
                    outputDelta_[o] = ActivationDerivative(OutputLayer[o]) * d;
                }
                // Hidden deltas use the output weights before this example's update.
                for (int h = 1; h <= nHidden_; ++h) {
                    float back = 0.0f;
                    for (int o = 1; o <= nOutput_; ++o)
                        back += outputDelta_[o] * OutputWeight(o, h);
                    hiddenDelta_[h] = ActivationDerivative(FHiddenLayer[h]) * back;
                }
                for (int o = 1; o <= nOutput_; ++o)
                    for (int h = 0; h <= nHidden_; ++h)
                        outputWeights_[outputIndex(o, h)] +=
                            LearningRate * outputDelta_[o] * FHiddenLayer[h];
                for (int h = 1; h <= nHidden_; ++h)
                    for (int i = 0; i <= nInput_; ++i)
                        hiddenWeights_[hiddenIndex(h, i)] +=
                            LearningRate * hiddenDelta_[h] * InputLayer[i];
                if (ProcessMessages)
                    ProcessMessages();
            }
        }
        if (StopTraining)
            break;
        if (OnTraining)
            OnTraining(*this);
        // An empty training set has no mean error: it stops after one epoch.
        const float meanSquared =
            NTrainingNeuron > 0 ? TrainingError / static_cast<float>(NTrainingNeuron) : 0.0f;
        goOn = static_cast<float>(NNeuronError) > TargetClassificationError &&
               meanSquared > TargetSquaredError && NTrainingEpoch - startEpoch < MaxEpoch;
    }
    Modified = true;
    if (OnTrainingFinish)
        OnTrainingFinish(*this);
}

int TBackProp::wrongNeurons(const TLayer& target) const
{
    int count = 0;
    for (int o = 1; o <= nOutput_; ++o)
        if (std::fabs(target[o] - OutputLayer[o]) >= ErrorThreshold)
            ++count;
    return count;
}

double TBackProp::matchOf(int wrong) const
{
    return (1.0 - static_cast<double>(wrong) / nOutput_) * 100.0;
}

std::string TBackProp::GetResult() const
{
    // The head of the ranking below without its texts: a class goes to the
    // front when no class before it shows a match at least as high.
    const TTrainingPairs* best = nullptr;
    double highestShown = 0.0;
    for (const auto& pairs : FTrainingSet) {
        const double match = matchOf(wrongNeurons(pairs.TargetPattern));
        const bool first = best == nullptr;
        if (first || highestShown < match)
            best = &pairs;
        highestShown = first ? roundedMatch(match) : std::max(highestShown, roundedMatch(match));
    }
    return best ? best->TargetPatternClass : std::string();
}

int TBackProp::ResultMargin() const
{
    if (FTrainingSet.empty())
        return 0;
    int best = nOutput_, second = nOutput_;
    for (const auto& pairs : FTrainingSet) {
        const int wrong = wrongNeurons(pairs.TargetPattern);
        if (wrong < best) {
            second = best;
            best = wrong;
        } else if (wrong < second) {
            second = wrong;
        }
    }
    return FTrainingSet.size() == 1 ? nOutput_ : second - best;
}

void TBackProp::GetResult(std::vector<std::string>& symbols, std::vector<std::string>& matchs,
                          std::vector<std::string>& unmatchs, char decimalSeparator) const
{
    symbols.clear();
    matchs.clear();
    unmatchs.clear();
    std::vector<double> listed; // the matches as their texts read back
    for (const auto& pairs : FTrainingSet) {
        const int count = wrongNeurons(pairs.TargetPattern);
        const double match = matchOf(count);
        const auto j = static_cast<std::ptrdiff_t>(
            std::count_if(listed.begin(), listed.end(), [&](double m) { return m >= match; }));
        listed.insert(listed.begin() + j, roundedMatch(match));
        symbols.insert(symbols.begin() + j, pairs.TargetPatternClass);
        matchs.insert(matchs.begin() + j, matchText(match, decimalSeparator));
        unmatchs.insert(unmatchs.begin() + j,
                        std::to_string(count) + " / " + std::to_string(nOutput_) + " ");
    }
    for (auto& m : matchs)
        m += "%";
}

void TBackProp::NewKnowledge()
{
    FTrainingSet.clear();
    NNeuronError = 0;
    NTrainingEpoch = 0;
    TrainingError = 0.0f;
    NTrainingNeuron = 0;
    Modified = false;
}

void TBackProp::NewKnowledge(int inputPatternHeight, int inputPatternWidth,
                             int targetPatternHeight, int targetPatternWidth, int nHiddenNeuron)
{
    setSizes(inputPatternHeight, inputPatternWidth, targetPatternHeight, targetPatternWidth,
             nHiddenNeuron);
    AllocateLayers();
    RandomizeWeights();
    NewKnowledge();
}

void TBackProp::OpenKnowledge(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throwFileError(fileName);
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
    std::size_t pos = 0;
    OpenKnowledgeFromStream(data, pos);
}

void TBackProp::SaveKnowledge(const std::string& fileName)
{
    const auto bytes = KnowledgeBytes();
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out)
        throwFileError(fileName);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throwFileError(fileName);
    Modified = false;
}

bool TBackProp::OpenKnowledgeFromStream(std::span<const std::uint8_t> data, std::size_t& pos)
{
    Reader r(data, pos);
    std::int32_t header[5];
    for (auto& v : header)
        if (!r.int32(v))
            return false;
    // Sizes whose weights cannot lie in the data are garbage: allocating for
    // them could exhaust memory, so nothing more is read.
    for (auto v : header)
        if (v <= 0)
            return false;
    // Each count is below 2^31 and each row below 2^31 + 1 reals, so every
    // product below stays far inside 64 bits; the sums are compared by
    // division so that no size can wrap into a small one.
    const auto nIn = static_cast<std::uint64_t>(header[0]) * static_cast<std::uint64_t>(header[1]);
    const auto nOut = static_cast<std::uint64_t>(header[2]) * static_cast<std::uint64_t>(header[3]);
    const auto nHidden = static_cast<std::uint64_t>(header[4]);
    const std::uint64_t reals = r.remaining() / 4;
    if (nIn > INT32_MAX || nOut > INT32_MAX || nHidden > reals / (nIn + 1) ||
        nOut > (reals - nHidden * (nIn + 1)) / (nHidden + 1))
        return false;

    setSizes(header[0], header[1], header[2], header[3], header[4]);
    AllocateLayers();
    // The size check above guarantees both blocks are in the data.
    auto readRows = [&](std::vector<float>& weights, int rows, int inputs) {
        for (int row = 1; row <= rows; ++row) {
            float* w = weights.data() + packedIndex(row, 0, inputs + 1);
            for (int i = 0; i <= inputs; ++i, w += kLanes)
                r.real(*w);
        }
    };
    readRows(hiddenWeights_, nHidden_, nInput_);
    readRows(outputWeights_, nOutput_, nHidden_);

    const bool complete = [&] {
        std::int32_t classes = 0;
        if (!r.int32(classes) || classes < 0)
            return false;
        FTrainingSet.clear();
        const std::size_t exampleBytes = static_cast<std::size_t>(nInput_) * 4;
        const std::size_t targetBytes = static_cast<std::size_t>(nOutput_) * 4;
        for (std::int32_t c = 0; c < classes; ++c) {
            std::int32_t examples = 0;
            if (!r.int32(examples) || examples < 0 ||
                static_cast<std::size_t>(examples) > r.remaining() / exampleBytes)
                return false;
            TTrainingPairs& pairs = FTrainingSet.emplace_back();
            pairs.InputPatterns.assign(static_cast<std::size_t>(examples),
                                       TLayer(static_cast<std::size_t>(nInput_) + 1, 0.0f));
            for (auto& example : pairs.InputPatterns)
                r.raw(example.data() + 1, exampleBytes);
            pairs.TargetPattern.assign(static_cast<std::size_t>(nOutput_) + 1, 0.0f);
            std::int32_t length = 0;
            if (!r.raw(pairs.TargetPattern.data() + 1, targetBytes) || !r.int32(length) ||
                length < 0 || static_cast<std::size_t>(length) > r.remaining())
                return false;
            pairs.TargetPatternClass.resize(static_cast<std::size_t>(length));
            r.raw(pairs.TargetPatternClass.data(), pairs.TargetPatternClass.size());
        }
        std::int32_t maxEpoch = 0, neuronError = 0, epoch = 0;
        return r.real(LearningRate) && r.real(WeightsInitFactor) && r.real(ErrorThreshold) &&
               r.real(TargetClassificationError) && r.real(TargetSquaredError) &&
               r.int32(maxEpoch) && (MaxEpoch = maxEpoch, r.int32(neuronError)) &&
               (NNeuronError = neuronError, r.int32(epoch)) &&
               (NTrainingEpoch = epoch, r.real(TrainingError));
    }();
    CountTrainingNeurons();
    Modified = false;
    return complete;
}

std::vector<std::uint8_t> TBackProp::KnowledgeBytes() const
{
    std::vector<std::uint8_t> out;
    for (int v : {inputPatternHeight_, inputPatternWidth_, targetPatternHeight_,
                  targetPatternWidth_, nHidden_})
        putInt(out, v);
    for (int h = 1; h <= nHidden_; ++h)
        for (int i = 0; i <= nInput_; ++i)
            putReal(out, HiddenWeight(h, i));
    for (int o = 1; o <= nOutput_; ++o)
        for (int h = 0; h <= nHidden_; ++h)
            putReal(out, OutputWeight(o, h));
    putInt(out, static_cast<std::int32_t>(FTrainingSet.size()));
    for (const auto& pairs : FTrainingSet) {
        putInt(out, static_cast<std::int32_t>(pairs.InputPatterns.size()));
        for (const auto& example : pairs.InputPatterns)
            putReals(out, example.data() + 1, static_cast<std::size_t>(nInput_));
        putReals(out, pairs.TargetPattern.data() + 1, static_cast<std::size_t>(nOutput_));
        putInt(out, static_cast<std::int32_t>(pairs.TargetPatternClass.size()));
        out.insert(out.end(), pairs.TargetPatternClass.begin(), pairs.TargetPatternClass.end());
    }
    putReal(out, LearningRate);
    putReal(out, WeightsInitFactor);
    putReal(out, ErrorThreshold);
    putReal(out, TargetClassificationError);
    putReal(out, TargetSquaredError);
    putInt(out, MaxEpoch);
    putInt(out, NNeuronError);
    putInt(out, NTrainingEpoch);
    putReal(out, TrainingError);
    return out;
}

bool TBackProp::BitmapToLayer(const Image& bitmap, TLayer& layer)
{
    const auto n = static_cast<std::size_t>(bitmap.width()) * static_cast<std::size_t>(bitmap.height());
    if (layer.size() != n + 1)
        return false;
    std::size_t k = 1;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            layer[k++] = bitmap.pixel(x, y) == kBlack ? 1.0f : -1.0f;
    return true;
}

Image FitBitmapToPattern(const Image& bitmap, int width, int height)
{
    Image result(width, height, kWhite);
    int left = bitmap.width(), right = -1, top = bitmap.height(), bottom = -1;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (bitmap.pixel(x, y) == kBlack) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0 || width <= 0 || height <= 0)
        return result;
    const int w0 = right - left + 1;
    const int h0 = bottom - top + 1;
    // Fill the width when the scaled height fits, else the height; exact
    // integer arithmetic so a box that fits both ways is not decided by rounding.
    int tw, th;
    if (static_cast<long long>(height) * w0 >= static_cast<long long>(width) * h0) {
        tw = width;
        th = static_cast<int>((static_cast<long long>(width) * h0 + w0 - 1) / w0);
    } else {
        th = height;
        tw = static_cast<int>((static_cast<long long>(height) * w0 + h0 - 1) / h0);
    }
    for (int y = 0; y < std::min(th, height); ++y) {
        const int sy = top + static_cast<int>(static_cast<long long>(y) * h0 / th);
        for (int x = 0; x < std::min(tw, width); ++x) {
            const int sx = left + static_cast<int>(static_cast<long long>(x) * w0 / tw);
            result.setPixel(x, y, bitmap.pixel(sx, sy) == kBlack ? kBlack : kWhite);
        }
    }
    return result;
}

} // namespace ocr

#include "TestNetworks.h"

#include "ocr/core/BackProp.h"
#include "ocr/core/NeuronSums.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <fstream>
#include <iterator>
#include <random>

// Counts every allocation of this test program, so a test can show that an
// operation allocates nothing.
static std::atomic<long> allocations{0};

// Out of line, so the compiler does not pair the malloc and free across
// the replaced operators.
[[gnu::noinline]] static void* acquire(std::size_t size)
{
    return std::malloc(size ? size : 1);
}
[[gnu::noinline]] static void release(void* p)
{
    std::free(p);
}

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = acquire(size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }

namespace {

using ocr::Image;
using ocr::TBackProp;
using ocr::TLayer;

std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(StoredKnowledge, EachFileReadsToItsLastByteAndWritesBackIdentically)
{
    const auto dir = std::filesystem::temp_directory_path() / "tq7-ocr-roundtrip";
    std::filesystem::create_directories(dir);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(ocr::kStoredNetworkNames[i]);
        const auto& data = ocrtest::StoredKnowledge(i);
        TBackProp net(1, 1, 1);
        std::size_t pos = 0;
        ASSERT_TRUE(net.OpenKnowledgeFromStream(data, pos));
        EXPECT_EQ(pos, data.size());
        EXPECT_EQ(net.KnowledgeBytes(), data);
        EXPECT_FALSE(net.Modified);

        const auto file = (dir / ocr::kStoredNetworkNames[i]).string();
        net.SaveKnowledge(file);
        EXPECT_EQ(readFile(file), data);
        TBackProp reread(file);
        EXPECT_EQ(reread.KnowledgeBytes(), data);
    }
    std::filesystem::remove_all(dir);
}

TEST(StoredKnowledge, CarriesTheStoredSizesClassesAndParameters)
{
    struct Expected {
        const char* classes;
        std::vector<int> examples;
    };
    const Expected expected[4] = {
        {"0123456789", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"812345796" "0A", {1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1}},
        {"012678945" "3A", {1, 1, 1, 2, 1, 2, 1, 1, 2, 2, 1}},
        {"1923456780A", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(ocr::kStoredNetworkNames[i]);
        TBackProp net(1, 1, 1);
        std::size_t pos = 0;
        ASSERT_TRUE(net.OpenKnowledgeFromStream(ocrtest::StoredKnowledge(i), pos));
        EXPECT_EQ(net.NInputNeuron(), 400);
        EXPECT_EQ(net.NHiddenNeuron(), 50);
        EXPECT_EQ(net.NOutputNeuron(), 400);
        ASSERT_EQ(net.GetNTrainingPair(), static_cast<int>(std::strlen(expected[i].classes)));
        for (int c = 0; c < net.GetNTrainingPair(); ++c) {
            EXPECT_EQ(net.GetKnownSymbol(c), std::string(1, expected[i].classes[c]));
            const auto& pairs = net.TrainingSet()[static_cast<std::size_t>(c)];
            EXPECT_EQ(static_cast<int>(pairs.InputPatterns.size()), expected[i].examples[static_cast<std::size_t>(c)]);
            // The target of every stored class is its first example.
            EXPECT_EQ(pairs.TargetPattern, pairs.InputPatterns.front());
        }
        EXPECT_FLOAT_EQ(net.LearningRate, 0.001f);
        EXPECT_FLOAT_EQ(net.WeightsInitFactor, 0.5f);
        EXPECT_FLOAT_EQ(net.ErrorThreshold, 1.0f);
        EXPECT_FLOAT_EQ(net.TargetClassificationError, -1.0f);
        EXPECT_FLOAT_EQ(net.TargetSquaredError, 0.01f);
        EXPECT_EQ(net.MaxEpoch, 10000);
        // Each stored network recognises its own examples.
        for (const auto& pairs : net.TrainingSet()) {
            for (const auto& example : pairs.InputPatterns) {
                net.InputLayer = example;
                net.InputLayer[0] = 1.0f;
                net.Apply();
                EXPECT_EQ(net.GetResult(), pairs.TargetPatternClass);
            }
        }
    }
}

// Apply must give exactly what a plain sum over i = 0..N in single precision gives.
TEST(BackProp, ApplyKeepsEachNeuronsSummationOrderAndAllocatesNothing)
{
    TBackProp net(20, 20, 20, 20, 50);
    std::size_t pos = 0;
    ASSERT_TRUE(net.OpenKnowledgeFromStream(ocrtest::StoredKnowledge(ocr::kCaption), pos));
    std::mt19937 rng(5);
    for (std::size_t i = 1; i < net.InputLayer.size(); ++i)
        net.InputLayer[i] = (rng() & 1) ? 1.0f : -1.0f;
    const long before = allocations;
    net.Apply();
    EXPECT_EQ(allocations - before, 0) << "Apply allocated";

    std::vector<float> hidden(51, 1.0f);
    for (int h = 1; h <= 50; ++h) {
        volatile float sum = 0.0f;
        for (int i = 0; i <= 400; ++i) {
            volatile float product = net.InputLayer[static_cast<std::size_t>(i)] * net.HiddenWeight(h, i);
            sum = sum + product;
        }
        hidden[static_cast<std::size_t>(h)] = ocr::Activation(sum);
        ASSERT_EQ(hidden[static_cast<std::size_t>(h)], net.FHiddenLayer[static_cast<std::size_t>(h)]) << "hidden " << h;
    }
    for (int o = 1; o <= 400; ++o) {
        volatile float sum = 0.0f;
        for (int h = 0; h <= 50; ++h) {
            volatile float product = hidden[static_cast<std::size_t>(h)] * net.OutputWeight(o, h);
            sum = sum + product;
        }
        ASSERT_EQ(ocr::Activation(sum), net.OutputLayer[static_cast<std::size_t>(o)]) << "output " << o;
    }
}

// Every register width gives exactly the plain in-order single-precision sums.
TEST(BackProp, NeuronBlockSumsMatchPlainSumsInEveryVariant)
{
    constexpr int nIn = 37;
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> value(-2.0f, 2.0f);
    std::vector<float> in(nIn + 1), w((nIn + 1) * ocr::kNeuronBlock);
    for (auto& v : in)
        v = value(rng);
    for (auto& v : w)
        v = value(rng);
    float expected[ocr::kNeuronBlock];
    for (int lane = 0; lane < ocr::kNeuronBlock; ++lane) {
        volatile float sum = 0.0f;
        for (int i = 0; i <= nIn; ++i) {
            volatile float product = in[static_cast<std::size_t>(i)] *
                                     w[static_cast<std::size_t>(i * ocr::kNeuronBlock + lane)];
            sum = sum + product;
        }
        expected[lane] = sum;
    }
    using Variant = void (*)(const float*, int, const float*, float*);
    std::vector<std::pair<const char*, Variant>> variants = {{"baseline", ocr::BlockSumsBaseline}};
    if (ocr::HasAvx())
        variants.emplace_back("avx", ocr::BlockSumsAvx);
    for (const auto& [name, variant] : variants) {
        float sums[ocr::kNeuronBlock];
        variant(in.data(), nIn, w.data(), sums);
        for (int lane = 0; lane < ocr::kNeuronBlock; ++lane)
            EXPECT_EQ(sums[lane], expected[lane]) << name << " lane " << lane;
    }
}

struct RankingCase {
    const char* name;
    std::vector<float> output;          // neurons 1..4
    std::vector<std::string> symbols;   // expected ranking
    std::vector<std::string> matchs;
    std::vector<std::string> unmatchs;
};

// A 1 x 4 network with classes a, b, c whose targets differ in one neuron each.
TBackProp rankingNetwork()
{
    TBackProp net(1, 4, 1, 4, 3);
    auto add = [&](const char* symbol, std::vector<float> target) {
        ocr::TTrainingPairs pairs;
        target.insert(target.begin(), 0.0f);
        pairs.InputPatterns = {target};
        pairs.TargetPattern = target;
        pairs.TargetPatternClass = symbol;
        net.AddTrainingPairs(pairs);
    };
    add("a", {1, 1, 1, 1});
    add("b", {1, 1, 1, -1});
    add("c", {1, 1, 1, 1}); // same target as "a": always tied with it
    return net;
}

TEST(BackProp, RankingEdgeCases)
{
    const RankingCase cases[] = {
        {"exact target gives 100.00% and 0 / N", {1, 1, 1, 1}, {"a", "c", "b"},
         {"100.00%", "100.00%", "75.00%"}, {"0 / 4 ", "0 / 4 ", "1 / 4 "}},
        {"ties keep training order", {0, 0, 0, 0}, {"a", "b", "c"},
         {"0.00%", "0.00%", "0.00%"}, {"4 / 4 ", "4 / 4 ", "4 / 4 "}},
        {"better class first", {0.5f, 0.5f, 0.5f, -0.5f}, {"b", "a", "c"},
         {"100.00%", "75.00%", "75.00%"}, {"0 / 4 ", "1 / 4 ", "1 / 4 "}},
        {"an output of exactly zero is wrong for both signs", {1, 1, 1, 0}, {"a", "b", "c"},
         {"75.00%", "75.00%", "75.00%"}, {"1 / 4 ", "1 / 4 ", "1 / 4 "}},
    };
    TBackProp net = rankingNetwork();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::copy(c.output.begin(), c.output.end(), net.OutputLayer.begin() + 1);
        std::vector<std::string> symbols, matchs, unmatchs;
        net.GetResult(symbols, matchs, unmatchs);
        EXPECT_EQ(symbols, c.symbols);
        EXPECT_EQ(matchs, c.matchs);
        EXPECT_EQ(unmatchs, c.unmatchs);
        EXPECT_EQ(net.GetResult(), c.symbols.front());
    }
}

TEST(BackProp, TiesInTheStoredCaptionNetworkRankEightBeforeZero)
{
    TBackProp net(1, 1, 1);
    std::size_t pos = 0;
    ASSERT_TRUE(net.OpenKnowledgeFromStream(ocrtest::StoredKnowledge(ocr::kCaption), pos));
    std::fill(net.OutputLayer.begin() + 1, net.OutputLayer.end(), 0.0f); // every class 0.00%
    std::vector<std::string> symbols, matchs, unmatchs;
    net.GetResult(symbols, matchs, unmatchs);
    EXPECT_EQ(symbols, (std::vector<std::string>{"8", "1", "2", "3", "4", "5", "7", "9", "6", "0", "A"}));
    EXPECT_EQ(matchs.front(), "0.00%");
    EXPECT_EQ(unmatchs.front(), "400 / 400 ");
}

TEST(BackProp, MatchTextUsesTheGivenDecimalSeparatorAndFourDigits)
{
    TBackProp net(1, 3, 1, 3, 2);
    ocr::TTrainingPairs pairs;
    pairs.InputPatterns = {{0, 1, 1, 1}};
    pairs.TargetPattern = {0, 1, 1, 1};
    pairs.TargetPatternClass = "7";
    net.AddTrainingPairs(pairs);
    net.OutputLayer = {0, 1, 1, -1};
    std::vector<std::string> symbols, matchs, unmatchs;
    net.GetResult(symbols, matchs, unmatchs, ',');
    EXPECT_EQ(matchs, std::vector<std::string>{"66,67%"});
}

TEST(BackProp, EmptyTrainingSetGivesNoSymbol)
{
    TBackProp net(20, 20, 20, 20, 50);
    net.Apply();
    EXPECT_EQ(net.GetResult(), "");
}

TEST(BackProp, WhiteBitmapGivesMinusOneEverywhere)
{
    TLayer layer(401, 5.0f);
    ASSERT_TRUE(TBackProp::BitmapToLayer(Image(20, 20, ocr::kWhite), layer));
    EXPECT_EQ(layer[0], 5.0f);
    for (std::size_t i = 1; i < layer.size(); ++i)
        EXPECT_EQ(layer[i], -1.0f);
    // Only exactly black counts as ink.
    Image nearBlack(20, 20, ocr::kWhite);
    nearBlack.setPixel(0, 0, ocr::makeRgb(0, 0, 1));
    nearBlack.setPixel(1, 0, ocr::kBlack);
    ASSERT_TRUE(TBackProp::BitmapToLayer(nearBlack, layer));
    EXPECT_EQ(layer[1], -1.0f);
    EXPECT_EQ(layer[2], 1.0f);
    EXPECT_FALSE(TBackProp::BitmapToLayer(Image(19, 20), layer));
}

TEST(BackProp, FitBitmapToPatternScalesTheInkBoxTopLeft)
{
    // A 5 x 10 black box at (3, 4) inside a larger white picture.
    Image picture(12, 16, ocr::kWhite);
    picture.fillRect(3, 4, 8, 14, ocr::kBlack);
    picture.setPixel(3, 4, ocr::kWhite); // a notch keeps the scaling visible
    const Image fitted = ocr::FitBitmapToPattern(picture, 20, 20);
    ASSERT_EQ(fitted.width(), 20);
    ASSERT_EQ(fitted.height(), 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool notch = x < 2 && y < 2;
            const ocr::Rgb expected = x < 10 && !notch ? ocr::kBlack : ocr::kWhite;
            EXPECT_EQ(fitted.pixel(x, y), expected) << x << "," << y;
        }
    // A wide box fills the width; rows below it stay white.
    Image wide(10, 5, ocr::kWhite);
    wide.fillRect(0, 0, 10, 5, ocr::kBlack);
    const Image fittedWide = ocr::FitBitmapToPattern(wide, 20, 20);
    EXPECT_EQ(fittedWide.pixel(19, 9), ocr::kBlack);
    EXPECT_EQ(fittedWide.pixel(0, 10), ocr::kWhite);
}

TEST(BackProp, AddTrainingPairsAppendsToAnExistingClassAndKeepsItsTarget)
{
    TBackProp net(1, 2, 1, 2, 2);
    ocr::TTrainingPairs first{{{0, 1, -1}}, {0, 1, -1}, "x"};
    ocr::TTrainingPairs more{{{0, -1, 1}, {0, 1, 1}}, {0, -1, -1}, "x"};
    ocr::TTrainingPairs other{{{0, -1, -1}}, {0, -1, -1}, "X"};
    net.AddTrainingPairs(first);
    net.AddTrainingPairs(more);
    net.AddTrainingPairs(other);
    ASSERT_EQ(net.GetNTrainingPair(), 2);
    const auto& x = net.TrainingSet()[0];
    ASSERT_EQ(x.InputPatterns.size(), 3u);
    EXPECT_EQ(x.InputPatterns[2], (TLayer{0, 1, 1}));
    EXPECT_EQ(x.TargetPattern, (TLayer{0, 1, -1}));
    EXPECT_EQ(net.GetKnownSymbol(1), "X");
    EXPECT_EQ(net.NTrainingNeuron, 4 * 2);
    EXPECT_TRUE(net.Modified);
}

TEST(BackProp, TrainingLearnsTwoClassesAndHonoursTheStopRequest)
{
    TBackProp net(1, 4, 1, 4, 6);
    net.SeedRandom(7);
    net.RandomizeWeights();
    net.LearningRate = 0.1f;
    net.AddTrainingPairs({{{0, 1, 1, -1, -1}}, {0, 1, 1, -1, -1}, "L"});
    net.AddTrainingPairs({{{0, -1, -1, 1, 1}}, {0, -1, -1, 1, 1}, "R"});
    int epochsSeen = 0, finished = 0;
    net.OnTraining = [&](TBackProp&) { ++epochsSeen; };
    net.OnTrainingFinish = [&](TBackProp&) { ++finished; };
    net.Train();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(epochsSeen, net.NTrainingEpoch);
    EXPECT_LE(net.TrainingError / static_cast<float>(net.NTrainingNeuron), net.TargetSquaredError);
    EXPECT_LT(net.NTrainingEpoch, net.MaxEpoch);
    for (const auto& pairs : net.TrainingSet()) {
        net.InputLayer = pairs.InputPatterns.front();
        net.InputLayer[0] = 1.0f;
        net.Apply();
        EXPECT_EQ(net.GetResult(), pairs.TargetPatternClass);
    }

    // A stop request ends training after the current epoch, without OnTraining.
    net.Retrain();
    const int before = net.NTrainingEpoch;
    net.ProcessMessages = [&] { net.StopTraining = true; };
    epochsSeen = 0;
    net.Train();
    EXPECT_EQ(net.NTrainingEpoch, before + 1);
    EXPECT_EQ(epochsSeen, 0);
}

TEST(BackProp, SameSeedGivesSameWeights)
{
    TBackProp a(2, 3, 2, 3, 4), b(2, 3, 2, 3, 4);
    a.SeedRandom(11);
    b.SeedRandom(11);
    a.RandomizeWeights();
    b.RandomizeWeights();
    EXPECT_EQ(a.KnowledgeBytes(), b.KnowledgeBytes());
    for (int h = 1; h <= 4; ++h)
        for (int i = 0; i <= 6; ++i) {
            EXPECT_GE(a.HiddenWeight(h, i), -0.5f);
            EXPECT_LT(a.HiddenWeight(h, i), 0.5f);
        }
}

// Short and garbage files: the reader stops where the data end, never reads
// past them, and leaves a network that can still be applied.
TEST(BackProp, ShortAndGarbageKnowledgeFilesNeverCrash)
{
    const auto& stored = ocrtest::StoredKnowledge(ocr::kCaption);
    const std::size_t weightsEnd = 20 + 4 * 50 * 401 + 4 * 400 * 51;
    auto header = [](std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e) {
        std::vector<std::uint8_t> bytes(20);
        const std::int32_t v[5] = {a, b, c, d, e};
        std::memcpy(bytes.data(), v, 20);
        return bytes;
    };
    auto withTail = [](std::vector<std::uint8_t> bytes, std::size_t tail) {
        bytes.resize(bytes.size() + tail);
        return bytes;
    };
    std::mt19937 rng(3);
    std::vector<std::uint8_t> noise(5000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(rng());

    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
        bool weightsRead; // the stored weights are in place afterwards
    };
    auto prefix = [&](std::size_t n) { return std::vector<std::uint8_t>(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(n)); };
    auto withClassCount = [&](std::int32_t count) {
        auto bytes = prefix(weightsEnd);
        const auto* p = reinterpret_cast<const std::uint8_t*>(&count);
        bytes.insert(bytes.end(), p, p + 4);
        return bytes;
    };
    const Case cases[] = {
        {"empty", {}, false},
        {"three bytes", prefix(3), false},
        {"header only", prefix(20), false},
        {"cut inside the weights", prefix(weightsEnd - 1), false},
        {"cut after the weights", prefix(weightsEnd), true},
        {"cut inside a class", prefix(weightsEnd + 4 + 4 + 100), true},
        {"cut inside the tail", prefix(stored.size() - 1), true},
        {"huge sizes", header(0x7fffffff, 0x7fffffff, 0x7fffffff, 0x7fffffff, 0x7fffffff), false},
        {"negative sizes", header(-20, 20, 20, 20, 50), false},
        {"sizes whose weight count wraps", withTail(header(1, 0x7fffffff, 1, 1, 0x7fffffff), 4), false},
        {"one weight short", withTail(header(2, 2, 2, 2, 3), 4 * (3 * 5 + 4 * 4) - 4), false},
        {"huge class count", withClassCount(0x7fffffff), true},
        {"negative class count", withClassCount(-1), true},
        {"noise", noise, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBackProp net(20, 20, 20, 20, 50);
        net.SeedRandom(1);
        net.RandomizeWeights();
        std::size_t pos = 0;
        EXPECT_FALSE(net.OpenKnowledgeFromStream(c.data, pos));
        EXPECT_LE(pos, c.data.size());
        EXPECT_EQ(net.NInputNeuron(), 400);
        EXPECT_EQ(net.HiddenWeight(50, 400) == reinterpret_cast<const float*>(stored.data() + 20)[50 * 401 - 1],
                  c.weightsRead);
        net.Apply();
        (void)net.GetResult();
    }
}

TEST(BackProp, OpeningAMissingFileRaises)
{
    EXPECT_THROW(TBackProp("/nonexistent/tq7/none.dcr"), std::system_error);
    TBackProp net(1, 1, 1);
    EXPECT_THROW(net.SaveKnowledge("/nonexistent/tq7/none.dcr"), std::system_error);
}

} // namespace

// Trains the four stored networks from glyphs drawn with free fonts and
// writes the container the program carries (ocr/data/knowledge.sfp).
//
//   train-knowledge [--seed N] [--dcr-dir DIR] OUTPUT.sfp
//
// The same seed gives the same container byte for byte.

#include "ocr/core/BackProp.h"
#include "ocr/core/FileStorage.h"
#include "ocr/core/StoredNetworks.h"
#include "ocr/widgets/CaptionRenderer.h"
#include "ocr/widgets/TrainingGlyphs.h"
#include "tools/ToolArguments.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct ClassSpec {
    const char* symbol;
    int examples;
};

// Class symbols in file order with their example counts, per network.
const std::vector<ClassSpec> kClasses[4] = {
    {{"0", 1}, {"1", 1}, {"2", 1}, {"3", 1}, {"4", 1}, {"5", 1}, {"6", 1}, {"7", 1}, {"8", 1}, {"9", 1}},
    {{"8", 1}, {"1", 1}, {"2", 1}, {"3", 1}, {"4", 1}, {"5", 1}, {"7", 1}, {"9", 1}, {"6", 2}, {"0", 1},
     {"A", 1}},
    {{"0", 1}, {"1", 1}, {"2", 1}, {"6", 2}, {"7", 1}, {"8", 2}, {"9", 1}, {"4", 1}, {"5", 2}, {"3", 2},
     {"A", 1}},
    {{"1", 1}, {"9", 1}, {"2", 1}, {"3", 1}, {"4", 1}, {"5", 1}, {"6", 1}, {"7", 1}, {"8", 1}, {"0", 1},
     {"A", 1}},
};
constexpr int kExpectedSizes[4] = {193950, 198759, 203559, 197159};
constexpr std::uint32_t kDefaultSeed = 20261211;
constexpr const char* kUsage =
    "usage: train-knowledge [--seed N] [--dcr-dir DIR] OUTPUT.sfp\n"
    "Trains the four stored networks and writes their container to OUTPUT.sfp\n"
    "(and each knowledge file to DIR).\n";

bool train(int network, std::uint32_t seed, std::vector<std::uint8_t>& knowledge)
{
    ocr::TBackProp net(20, 20, 20, 20, 50);
    net.SeedRandom(seed + static_cast<std::uint32_t>(network));
    net.RandomizeWeights();
    net.NewKnowledge();
    for (const auto& spec : kClasses[network]) {
        ocr::TTrainingPairs pairs;
        pairs.TargetPatternClass = spec.symbol;
        for (int variant = 0; variant < spec.examples; ++variant) {
            auto layer = ocr::TrainingGlyph(spec.symbol, network, variant);
            if (!layer) {
                std::fprintf(stderr, "%s: no single glyph for \"%s\" (variant %d)\n",
                             ocr::kStoredNetworkNames[network], spec.symbol, variant);
                return false;
            }
            pairs.InputPatterns.push_back(*layer);
        }
        pairs.TargetPattern = pairs.InputPatterns.front();
        net.AddTrainingPairs(pairs);
    }
    net.Train();
    std::printf("%-40s %5d epochs, mean squared error %.5f, wrong neurons %d\n",
                ocr::kStoredNetworkNames[network], net.NTrainingEpoch,
                net.TrainingError / static_cast<float>(net.NTrainingNeuron), net.NNeuronError);
    knowledge = net.KnowledgeBytes();
    if (static_cast<int>(knowledge.size()) != kExpectedSizes[network]) {
        std::fprintf(stderr, "%s: %zu bytes, expected %d\n", ocr::kStoredNetworkNames[network],
                     knowledge.size(), kExpectedSizes[network]);
        return false;
    }
    return true;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    std::uint32_t seed = kDefaultSeed;
    std::string dcrDir, output;
    bool wrong = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc && !tools::LooksLikeSwitch(argv[i + 1]);
        if (tools::IsHelpSwitch(arg)) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--seed" && hasValue) {
            char* end = nullptr;
            seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], &end, 10));
            wrong = wrong || *end != '\0';
        } else if (arg == "--dcr-dir" && hasValue) {
            dcrDir = argv[++i];
        } else if (tools::LooksLikeSwitch(arg) || !output.empty()) {
            wrong = true;
        } else {
            output = arg;
        }
    }
    if (wrong || output.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    ocr::TFileStorage storage;
    for (int network = 0; network < 4; ++network) {
        auto entry = std::make_unique<ocr::TStoredFile>(&storage);
        entry->FileName = ocr::kStoredNetworkNames[network];
        if (!train(network, seed, entry->Data))
            return 1;
        entry->Size = static_cast<int>(entry->Data.size());
        if (!dcrDir.empty() && !writeFile(dcrDir + "/" + entry->FileName, entry->Data)) {
            std::fprintf(stderr, "cannot write %s/%s\n", dcrDir.c_str(), entry->FileName.c_str());
            return 1;
        }
        storage.Files.push_back(std::move(entry));
    }
    const auto container = storage.WriteContainer();
    if (!writeFile(output, container)) {
        std::fprintf(stderr, "cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("%s: %zu bytes\n", output.c_str(), container.size());
    return 0;
}

#include "images/ColorQuantizer.h"

#include "images/codecs/GraphicFormat.h"

#include <algorithm>

namespace images {

struct TColorQuantizer::TOctreeNode {
    bool IsLeaf = false;
    quint64 PixelCount = 0;
    quint64 RedSum = 0;
    quint64 GreenSum = 0;
    quint64 BlueSum = 0;
    TOctreeNode* Next = nullptr;
    std::array<std::unique_ptr<TOctreeNode>, 8> Child;
};

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : FMaxColors(std::max(maxColors, 1)), FColorBits(std::clamp(colorBits, 1, 8))
{
}

TColorQuantizer::~TColorQuantizer() = default;

void TColorQuantizer::ProcessImage(const QImage& bitmap)
{
    const QImage pixels = bitmap.convertToFormat(kFormat24);
    for (int y = 0; y < pixels.height(); ++y) {
        const uchar* p = pixels.constScanLine(y);
        for (int x = 0; x < pixels.width(); ++x, p += 3) {
            AddColor(FTree, p[0], p[1], p[2], 0);
            while (FLeafCount > FMaxColors)
                ReduceTree();
        }
    }
}

void TColorQuantizer::AddColor(std::unique_ptr<TOctreeNode>& node, int r, int g, int b, int level)
{
    if (!node) {
        node = std::make_unique<TOctreeNode>();
        node->IsLeaf = level == FColorBits;
        if (node->IsLeaf) {
            ++FLeafCount;
        } else {
            node->Next = FReducibleNodes[level];
            FReducibleNodes[level] = node.get();
        }
    }
    if (node->IsLeaf) {
        ++node->PixelCount;
        node->RedSum += r;
        node->GreenSum += g;
        node->BlueSum += b;
        return;
    }
    const int m = 0x80 >> level;
    const int s = 7 - level;
    const int index = ((r & m) >> s) * 4 + ((g & m) >> s) * 2 + ((b & m) >> s);
    AddColor(node->Child[index], r, g, b, level + 1);
}

void TColorQuantizer::ReduceTree()
{
    int level = FColorBits - 1;
    while (level >= 0 && !FReducibleNodes[level])
        --level;
    if (level < 0)
        return;
    TOctreeNode* node = FReducibleNodes[level];
    FReducibleNodes[level] = node->Next;
    int children = 0;
    for (auto& child : node->Child) {
        if (!child)
            continue;
        node->PixelCount += child->PixelCount;
        node->RedSum += child->RedSum;
        node->GreenSum += child->GreenSum;
        node->BlueSum += child->BlueSum;
        child.reset();
        ++children;
    }
    node->IsLeaf = true;
    FLeafCount -= children - 1;
}

QList<QRgb> TColorQuantizer::GetColorTable() const
{
    QList<QRgb> colours;
    auto walk = [&colours](const auto& self, const TOctreeNode* node) -> void {
        if (!node)
            return;
        if (node->IsLeaf) {
            colours.append(qRgb(int(node->RedSum / node->PixelCount),
                                int(node->GreenSum / node->PixelCount),
                                int(node->BlueSum / node->PixelCount)));
            return;
        }
        for (const auto& child : node->Child)
            self(self, child.get());
    };
    walk(walk, FTree.get());
    return colours;
}

QList<QRgb> BuildDisplayPalette(const QImage& bitmap, int colorDepth)
{
    static const QRgb kLow[10] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                  0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
    static const QRgb kHigh[10] = {0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                   0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    QList<QRgb> palette(256, qRgb(0, 0, 0));
    for (int i = 0; i < 10; ++i) {
        palette[i] = 0xFF000000 | kLow[i];
        palette[246 + i] = 0xFF000000 | kHigh[i];
    }
    TColorQuantizer quantizer(236, colorDepth);
    quantizer.ProcessImage(bitmap);
    const QList<QRgb> colours = quantizer.GetColorTable();
    std::copy(colours.begin(), colours.end(), palette.begin() + 10);
    return palette;
}

} // namespace images

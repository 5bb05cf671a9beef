#pragma once
// Octree colour quantisation: the palette for 8-bit displays, and the
// palette GIF files are written with.

#include <QImage>
#include <QList>

#include <array>
#include <memory>

namespace images {

class TColorQuantizer {
public:
    TColorQuantizer(int maxColors, int colorBits);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    // Adds the colours of a bitmap of any pixel format.
    void ProcessImage(const QImage& bitmap);
    // The leaves' colours, depth first with children in index order.
    QList<QRgb> GetColorTable() const;

private:
    struct TOctreeNode;
    void AddColor(std::unique_ptr<TOctreeNode>& node, int r, int g, int b, int level);
    void ReduceTree();

    std::unique_ptr<TOctreeNode> FTree;
    int FLeafCount = 0;
    std::array<TOctreeNode*, 9> FReducibleNodes{};
    int FMaxColors;
    int FColorBits;
};

// A 256-entry palette for showing the bitmap on an 8-bit display: the
// system's twenty static colours at 0..9 and 246..255, up to 236 colours of
// the picture from 10 on, black in entries left over.
QList<QRgb> BuildDisplayPalette(const QImage& bitmap, int colorDepth);

} // namespace images

#pragma once
// Convolution and rank filters, multi-pass filter chains and blending.

#include "EffectTypes.h"

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace effects {

enum TFilterType : uint8_t { ftStatic = 0, ftLinear = 1, ftMultiPass = 2 };
enum TMatrixSize : uint8_t { mxDefault = 0, mx3 = 1, mx5 = 2, mx7 = 3 };

// A 7 x 7 kernel row by row; the weight for offsets (dy, dx), each -3..3, is
// element (dy + 3) * 7 + (dx + 3). Smaller kernels occupy the centre.
using TEffectMatrix = std::array<qint32, 49>;

constexpr int MatrixIndex(int dy, int dx) { return (dy + 3) * 7 + (dx + 3); }

struct TGraphicFilter {
    TFilterType FilterType = ftLinear;
    TMatrixSize MatrixSize = mx3;
    TEffectMatrix Matrix{};
    qint32 Divisor = 1;
    qint32 Bias = 0;
    QString FilterName; // at most 128 UTF-16 code units are stored in a file
    bool operator==(const TGraphicFilter&) const = default;
};

// Filters holds, per pass, a position in BuiltInFilters(); a position outside
// the list makes that pass leave its input unchanged.
struct TMultiPassFilter {
    TFilterType FilterType = ftMultiPass;
    std::array<qint32, 4> Filters{};
    std::array<uint8_t, 3> Functions{};
    QString FilterName; // at most 100 UTF-16 code units are stored in a file
    bool operator==(const TMultiPassFilter&) const = default;
};

enum ColorType { ctRGB = 0, ctHSV = 1, ctHSL = 2 };

// Arithmetic between two images (Blend and multi-pass chains).
enum BlendFunction : uint8_t {
    bfNone = 0,
    bfAdd = 1,
    bfSubtract = 2,
    bfMultiply = 3,
    bfDivide = 4,
    bfDarkest = 5,
    bfLightest = 6,
    bfDifference = 7,
    bfBinaryOr = 8,
    bfBinaryAnd = 9,
    bfAverage = 10,
};

// The 32 built-in filters and the two multi-pass presets, in list order.
const std::vector<TGraphicFilter>& BuiltInFilters();
const std::vector<TMultiPassFilter>& BuiltInMultiPassFilters();
// Position of a built-in filter by name, or -1.
int BuiltInFilterPosition(const QString& name);

// size: for rank filters the window (2: 5 x 5, 3: 7 x 7, otherwise 3 x 3); for
// linear filters, when not 0, it replaces MatrixSize. Records of another type
// leave the destination untouched.
void ApplyFilter(const QImage& src, QImage& dst, TGraphicFilter filter, int size, ColorType colorType,
                 ChannelFlags flags, const Progress& progress = {});

// Leaves the destination untouched unless the record is a multi-pass one and
// passes is 1..4.
void MultiPassFilter(const QImage& src, QImage& dst, const TMultiPassFilter& filter, int passes,
                     ColorType colorType, ChannelFlags flags, const Progress& progress = {});

// target = a combined with b (stretched to a's size); Divide by 0 leaves the
// target's channel as it was (white when the target had another size or format).
void Blend(const QImage& a, const QImage& b, QImage& target, int function, const Progress& progress = {});

} // namespace effects

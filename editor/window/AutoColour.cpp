#include "editor/window/AutoColour.h"

#include "editor/effects/Adjustments.h"
#include "toolkit/core/Settings.h"

namespace editor {

namespace {

int IntSetting(const std::string& section, const char* name)
{
    bool ok = false;
    const int v = QString::fromStdString(toolkit::ReadSettingOrDefault(section, name, "0")).trimmed().toInt(&ok);
    return ok ? v : 0;
}

} // namespace

ColourDefaults ReadColourDefaults(const QString& modality)
{
    const std::string section = "BildEditor" + modality.toStdString();
    ColourDefaults d;
    d.hue = IntSetting(section, "DefaultHUE");
    d.saturation = IntSetting(section, "DefaultSAT");
    d.lightness = IntSetting(section, "DefaultLUM");
    d.luminance = IntSetting(section, "DefaultLUMINANCE");
    d.contrast = IntSetting(section, "DefaultCONTRAST");
    d.red = IntSetting(section, "DefaultRED");
    d.green = IntSetting(section, "DefaultGREEN");
    d.blue = IntSetting(section, "DefaultBLUE");
    // Written with either decimal separator over the years.
    QString gamma = QString::fromStdString(toolkit::ReadSettingOrDefault(section, "DefaultGAMMA", "1"));
    bool ok = false;
    const double g = gamma.replace(',', '.').trimmed().toDouble(&ok);
    d.gamma = ok && g > 0 ? g : 1.0;
    return d;
}

bool ApplyColourDefaults(const QImage& picture, const ColourDefaults& d, QImage& result)
{
    QImage work = picture.convertToFormat(QImage::Format_BGR888);
    bool ran = false;
    QImage next;
    const auto step = [&](auto&& op) {
        op(work, next);
        std::swap(work, next);
        ran = true;
    };
    if (d.hue || d.saturation || d.lightness)
        step([&](const QImage& s, QImage& o) { effects::AdjustHSL(s, o, d.hue, d.saturation, d.lightness); });
    if (d.red || d.green || d.blue)
        step([&](const QImage& s, QImage& o) { effects::AdjustRGB(s, o, d.red, d.green, d.blue); });
    if (d.gamma != 1.0)
        step([&](const QImage& s, QImage& o) { effects::ApplyGamma(s, o, d.gamma); });
    if (d.contrast || d.luminance) {
        step([&](const QImage& s, QImage& o) { effects::Contrast(s, o, d.contrast, {}); });
        step([&](const QImage& s, QImage& o) { effects::Brightness(s, o, d.luminance, {}); });
    }
    if (ran)
        result = work.convertToFormat(QImage::Format_ARGB32);
    return ran;
}

} // namespace editor

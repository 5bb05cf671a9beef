#pragma once
// The floater's own settings (section "Q7-Floater") and the options menu.

#include <QString>

#include <array>

namespace floater {

inline constexpr const char* kSection = "Q7-Floater";

enum class Option {
    StayOnTop,
    StartMinimized,
    ShowPatInfo,
    AskIfNotPatFound,
    ChangePatInOrvanaRealtime,
    ShowDICOMInfo,
    Visaballonginfoomdatafrndring,
};

struct OptionInfo {
    Option option;
    const char* key;
    const char* caption; // UTF-8
    bool defaultValue;
};

// In the order of the options menu.
const std::array<OptionInfo, 7>& optionTable();
const OptionInfo& optionInfo(Option option);

bool readOption(Option option);
void writeOption(Option option, bool value);

// The three search strings for Q7's dialogs.
struct DialogSearchStrings {
    QString booking, payment, referral;
};
DialogSearchStrings readDialogSearchStrings();

// Window placement: Left from the stored text when it is a number, else
// centred; a window past the far edge is put flush with it. Negative values
// stay as they are.
int placeCoordinate(const QString& stored, int screenExtent, int windowExtent);

// Height of the window for the visible areas (AdjustFloaterHeight).
struct HeightRule {
    bool windowHeight; // true: the value is the window height, else the client height
    int value;
};
HeightRule floaterHeight(bool showPatInfo, bool categoryRowVisible, bool modalityRowVisible);

} // namespace floater

#include "FloaterOptions.h"

#include "toolkit/core/Settings.h"

namespace floater {

const std::array<OptionInfo, 7>& optionTable()
{
    static const std::array<OptionInfo, 7> table{{
        {Option::StayOnTop, "StayOnTop", "Alltid överst", true},
        {Option::StartMinimized, "StartMinimized", "Starta minimerad", true},
        {Option::ShowPatInfo, "ShowPatInfo", "Visa patientinformation", true},
        {Option::AskIfNotPatFound, "AskIfNotPatFound", "Fråga innan patient läggs till/uppdateras", true},
        {Option::ChangePatInOrvanaRealtime, "ChangePatInOrvanaRealtime",
         "Byt/lägg till patient i Orvana direkt", false},
        {Option::ShowDICOMInfo, "ShowDICOMInfo", "Visa separat Dicom-info", true},
        {Option::Visaballonginfoomdatafrndring, "Visaballonginfoomdatafrndring",
         "Visa ballonginfo om dataförändring", false},
    }};
    return table;
}

const OptionInfo& optionInfo(Option option)
{
    for (const OptionInfo& info : optionTable())
        if (info.option == option)
            return info;
    return optionTable().front();
}

bool readOption(Option option)
{
    const OptionInfo& info = optionInfo(option);
    return toolkit::ReadBoolSetting(kSection, info.key, info.defaultValue);
}

void writeOption(Option option, bool value)
{
    toolkit::WriteBoolSetting(kSection, optionInfo(option).key, value);
}

DialogSearchStrings readDialogSearchStrings()
{
    auto read = [](const char* key, const char* def) {
        return QString::fromStdString(toolkit::ReadSettingOrDefault(kSection, key, def));
    };
    return {read("TidBokSearchString", "Boka/Boka om"), read("EkonomiSearchString", "Patientbetalning"),
            read("RemissSearchString", "(Remiss ID")};
}

int placeCoordinate(const QString& stored, int screenExtent, int windowExtent)
{
    bool ok = false;
    int pos = stored.trimmed().toInt(&ok);
    if (!ok)
        pos = screenExtent / 2 - windowExtent / 2;
    if (pos + windowExtent > screenExtent)
        pos = screenExtent - windowExtent;
    return pos;
}

HeightRule floaterHeight(bool showPatInfo, bool categoryRowVisible, bool modalityRowVisible)
{
    if (!showPatInfo)
        return {true, 33};
    return {false, categoryRowVisible && modalityRowVisible ? 138 : 102};
}

} // namespace floater

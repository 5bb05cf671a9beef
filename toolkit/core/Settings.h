#pragma once
// The settings store: text values per section and name under
// "SOFTWARE\Tervalen\" + install key + section, in two roots. The user's value
// wins over the machine-wide one; writers store both. No GUI types here.

#include "Registry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace toolkit {

inline constexpr const char* kSettingsRoot = "SOFTWARE\\Tervalen\\";
inline constexpr const char* kAbsent = "ERROR";

// The registry the store works on; the file-backed one unless a test sets another.
Registry& registry();
void setRegistry(Registry* r); // null restores the default

// Install key of a working directory ("/opt/Floater 2" -> "_opt_Floater_2\").
std::string InstallKeyFor(const std::string& workingDir);
const std::string& InstallKey();
void SetInstallKey(const std::string& key);

std::string ReadSetting(const std::string& section, const std::string& name);
std::string ReadSettingOrDefault(const std::string& section, const std::string& name,
                                 const std::string& defaultValue);
void WriteSetting(const std::string& section, const std::string& name, const std::string& value);
void DeleteSettingSection(const std::string& section);

// Boolean options are stored as "-1" and "0"; reading accepts the platform's
// text-to-boolean forms ("-1", "0", "1", "true", "false", any case).
bool ReadBoolSetting(const std::string& section, const std::string& name, bool defaultValue);
void WriteBoolSetting(const std::string& section, const std::string& name, bool value);

std::string ReadRegistryText(RegistryRoot root, const std::string& keyPath,
                             const std::string& valueName);
std::uint32_t ReadRegistryDword(RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName);
bool WriteRegistryBinary(RegistryRoot root, const std::string& keyPath,
                         const std::string& valueName, const std::vector<std::uint8_t>& bytes);
// Empties the buffer, reads the value into it; returns the number of bytes read.
std::size_t ReadRegistryBinary(RegistryRoot root, const std::string& keyPath,
                               const std::string& valueName, std::vector<std::uint8_t>& out);

// The message text of the last failed key creation during a write.
const std::string& LastRegistryError();

// A write the user's own root refused while the machine-wide one took it: an
// older user value then still wins at the next start. Such a failure is
// recorded machine-wide under kUserFailureMarkerKey, value "ErrorMsg", and
// told once per run through the notifier (setting one re-arms it).
inline constexpr const char* kUserFailureMarkerKey = "SOFTWARE\\Tervalen\\ERROR_WRITING_TO_CURRENT_USER";
void SetUserRootFailureNotifier(std::function<void(const std::string& reason)> notify);

} // namespace toolkit

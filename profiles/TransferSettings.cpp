#include "profiles/TransferSettings.h"

#include "profiles/AppLocations.h"
#include "profiles/IniFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace {

constexpr const char* kSection = "Transfer";

const std::array<std::pair<WhenExists, const char*>, 5> kWhenExistsNames{{
    {WhenExists::Replace, "Replace"},
    {WhenExists::Ask, "Ask"},
    {WhenExists::ReplaceIfNewerOrDifferent, "ReplaceIfNewerOrDifferent"},
    {WhenExists::Resume, "Resume"},
    {WhenExists::Skip, "Skip"},
}};

// A file edited by hand may spell a value in any case, as the key names may be.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

TransferOptions ReadTransferSettings(const std::string& path) {
    IniFile ini;
    ini.Load(path);
    TransferOptions options;
    const std::string whenExists = ini.GetString(kSection, "WhenExists");
    for (const auto& [setting, name] : kWhenExistsNames) {
        if (SameIgnoringCase(whenExists, name))
            options.whenExists = setting;
    }
    const std::string keepTimes = ini.GetString(kSection, "KeepTimes");
    if (keepTimes == "0" || keepTimes == "1")
        options.keepTimes = keepTimes == "1";
    return options;
}

bool WriteTransferSettings(const std::string& path, const TransferOptions& options, std::string* error) {
    CreatePrivateFolderFor(path);
    const auto named =
        std::ranges::find(kWhenExistsNames, options.whenExists, &std::pair<WhenExists, const char*>::first);
    return IniFile::Update(
        path,
        [&](IniFile& ini) {
            ini.WriteString(kSection, "WhenExists", named->second);
            ini.WriteString(kSection, "KeepTimes", options.keepTimes ? "1" : "0");
            return true;
        },
        error);
}

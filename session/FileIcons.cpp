#include "session/FileIcons.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace {

struct ExtensionIcon {
    std::string_view extension;
    int icon;
};

// The groups in the order they are tested; the first entry that has the extension wins.
constexpr std::array<ExtensionIcon, 34> ExtensionIcons = {{
    {"avi", 8},  {"mpg", 8},  {"mpeg", 8}, {"mov", 8},                            // video
    {"gif", 4},  {"png", 4},                                                      // web image
    {"jpg", 1},  {"jpeg", 1}, {"jpe", 1},  {"bmp", 1},                            // image
    {"htm", 2},  {"html", 2}, {"xml", 2},  {"asp", 2},                            // web page
    {"js", 5},   {"css", 5},  {"cgi", 5},                                         // script
    {"mp3", 6},  {"ram", 6},  {"au", 6},   {"vaw", 6},  {"wav", 6},               // sound
    {"zip", 7},  {"arj", 7},                                                      // archive
    {"exe", 17},                                                                  // program
    {"bat", 18}, {"com", 18},                                                     // batch file
    {"txt", 14}, {"log", 14}, {"doc", 14}, {"ftp", 14}, {"ini", 14}, {"dat", 14}, // text
    {"rtf", 3},                                                                   // rich text
}};

constexpr int OtherFileIcon = 15;

} // namespace

int IconIndexForName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const ExtensionIcon& entry : ExtensionIcons)
        if (entry.extension == extension)
            return entry.icon;
    return OtherFileIcon;
}

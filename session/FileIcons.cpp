#include "session/FileIcons.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

struct IconRule {
    std::string_view extension;
    int icon;
};

// In the order the groups are tested; no extension appears twice, so the first match is the only one.
constexpr IconRule IconRules[] = {
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
};

} // namespace

std::string FileExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

int IconIndexForName(const std::string& name) {
    std::string extension = FileExtension(name);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const IconRule& rule : IconRules)
        if (rule.extension == extension)
            return rule.icon;
    return GenericFileIcon;
}

#pragma once
// Where the program finds its read-only files and keeps Profile.ini: beside the executable for a
// build or a portable copy, under <prefix>/share/tovo-ftp and the user's configuration folder once installed.

#include <functional>
#include <string>

struct AppLocations {
    std::string ResourceDir; // icons, help: read only
    std::string ProfileDir;  // Profile.ini: written by the connect dialog
    bool Installed = false;
};

// What the decision needs to know about the machine, so that it can be tested without one.
struct LocationFacts {
    std::function<bool(const std::string& path)> Exists;
    std::string XdgConfigHome; // as set in the environment, may be empty
    std::string Home;          // the user's home folder, may be empty
};

// The program's own subfolder of <prefix>/share and of the configuration folder.
inline constexpr const char* kAppFolderName = "tovo-ftp";

// Decides both folders for an executable in exeDir (no trailing slash needed).
AppLocations ResolveAppLocations(const std::string& exeDir, const LocationFacts& facts);

// The same decision against this machine's file system and environment.
AppLocations ResolveAppLocations(const std::string& exeDir);
std::string ResourceDir(const std::string& exeDir);
std::string ProfileDir(const std::string& exeDir);

// Creates dir and any missing parents with owner-only access (0700); folders that already exist keep
// their permissions. True when dir is a folder afterwards.
bool CreatePrivateFolder(const std::string& dir);
// The same for the folder that holds filePath.
bool CreatePrivateFolderFor(const std::string& filePath);

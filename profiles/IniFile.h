#pragma once
// An INI document with Windows profile-file semantics: case-insensitive section and key names,
// values replaced in place, comments and unknown lines kept; saved atomically and owner-only.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class IniFile {
public:
    enum class LoadResult { Loaded, Missing, Unreadable };

    // Files larger than this are not read: no settings file grows that big by itself.
    static constexpr std::size_t kMaxFileSize = std::size_t(64) << 20;

    // Reads the file; a missing file gives an empty document. Anything but a regular file up to
    // kMaxFileSize is Unreadable: the document is then empty and must not be saved over the file, or
    // everything in it would be lost. The reason goes to *error when given.
    LoadResult Load(const std::string& path, std::string* error = nullptr);
    void Parse(const std::string& text);
    std::string Text() const;

    // Writes to a temporary file beside path, syncs it and renames it over path, mode 0600. A path
    // that is a symbolic link has its target written and stays a link; a link to nothing is refused.
    // On failure the old file is untouched; the reason goes to *error when given.
    bool Save(const std::string& path, std::string* error = nullptr) const;

    // Read, change, save, holding a lock (path + ".lock") so that two programs saving
    // at once do not lose each other's changes. change returns false when there is nothing to save.
    static bool Update(const std::string& path, const std::function<bool(IniFile&)>& change,
                       std::string* error = nullptr);

    // Section names in file order, each once (the first spelling wins).
    std::vector<std::string> SectionNames() const;
    bool HasSection(const std::string& section) const;
    // The value, or "" when the section or key is missing; cut to maxLength bytes.
    std::string GetString(const std::string& section, const std::string& key,
                          std::size_t maxLength = std::string::npos) const;
    // Creates the section and key as needed, replaces the value where it stands otherwise.
    // False (document unchanged) when a name or the value cannot be held by the format.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    // Removes every section of that name with all its lines; false when there was none.
    bool RemoveSection(const std::string& section);
    // Removes the key's lines from the section; false when it had none.
    bool RemoveKey(const std::string& section, const std::string& key);

    static bool IsStorableSectionName(const std::string& section);
    static bool IsStorableKeyName(const std::string& key);
    static bool IsStorableValue(const std::string& value);

private:
    struct Range {
        std::size_t header, end; // header line index; end is one past the section's last line
    };
    std::vector<Range> FindSections(const std::string& section) const;

    std::vector<std::string> m_lines;
    std::string_view m_lineEnd = "\n"; // the file's own line end, kept when it is saved
};

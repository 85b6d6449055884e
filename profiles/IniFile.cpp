#include "profiles/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>

namespace {

const std::string kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

std::string Trimmed(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::size_t FirstNonBlank(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return i;
}

// "[name]" with optional leading blanks; the name runs to the first "]" and is not trimmed, so a
// name with blanks at its ends reads back exactly as it was written.
bool SectionHeader(const std::string& line, std::string* name) {
    const std::size_t open = FirstNonBlank(line);
    if (open >= line.size() || line[open] != '[')
        return false;
    const std::size_t close = line.find(']', open + 1);
    if (close == std::string::npos)
        return false;
    if (name)
        *name = line.substr(open + 1, close - open - 1);
    return true;
}

bool KeyLine(const std::string& line, std::string* key, std::string* rawValue) {
    const std::size_t start = FirstNonBlank(line);
    if (start >= line.size() || line[start] == ';' || line[start] == '#' || line[start] == '[')
        return false;
    const std::size_t equals = line.find('=', start);
    if (equals == std::string::npos)
        return false;
    std::string name = Trimmed(line.substr(start, equals - start));
    if (name.empty())
        return false;
    *key = std::move(name);
    if (rawValue)
        *rawValue = line.substr(equals + 1);
    return true;
}

// Values are trimmed and one pair of surrounding double quotes is dropped on reading, as the
// platform does; values that would lose something that way are written quoted.
std::string DecodeValue(const std::string& raw) {
    std::string value = Trimmed(raw);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string EncodeValue(const std::string& value) {
    if (value.empty())
        return value;
    const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (IsBlank(value.front()) || IsBlank(value.back()) || quoted)
        return '"' + value + '"';
    return value;
}

bool HasLineBreakOrNul(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::string Directory(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno) + '.';
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Reads all of fd into text; the reason when it is not a regular file of at most maxSize bytes.
std::string ReadRegularFile(int fd, std::size_t maxSize, std::string& text) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::strerror(errno) + std::string(".");
    if (S_ISDIR(info.st_mode))
        return "It is a folder, not a file.";
    if (!S_ISREG(info.st_mode))
        return "It is not a regular file.";
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::strerror(errno) + std::string(".");
        if (n == 0)
            return {};
        text.append(buffer, static_cast<std::size_t>(n));
        // Checked while reading, not from the size alone: the file may be growing.
        if (text.size() > maxSize)
            return "It is larger than " + std::to_string(maxSize >> 20) + " MiB.";
    }
}

// The file a save has to replace: path itself, or the file a symbolic link at path points to, so
// that a link into a folder of the user's own stays a link. Empty (with the reason) for a link to
// nothing, which a save would otherwise turn into a file holding only the new content.
std::string WriteTarget(const std::string& path, std::string* error) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    char target[PATH_MAX] = {};
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    *error = "It is a symbolic link to " + std::string(target, length > 0 ? std::size_t(length) : 0) +
             ", which cannot be reached: " + std::strerror(errno) + '.';
    return {};
}

// An advisory lock on "<file>.lock", held while it lives. The wait is bounded: a program that hangs
// holding it must not hang this one too.
class LockFile {
public:
    explicit LockFile(const std::string& file)
        : m_fd(::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {}
    ~LockFile() {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    bool Acquire(const std::string& file, std::string* error) {
        if (m_fd < 0) {
            *error = ErrnoText("Cannot create the lock file " + file + ".lock");
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                *error = ErrnoText("Cannot lock " + file + ".lock");
                return false;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                *error = "Another program has been saving it for more than 10 seconds.";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

IniFile::LoadResult IniFile::Load(const std::string& path, std::string* error) {
    Parse({});
    std::string failure, text;
    // Non-blocking, so that a pipe in the file's place cannot stop the program before the check.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) {
        if (error)
            error->clear();
        return LoadResult::Missing;
    }
    if (fd < 0) {
        failure = std::strerror(errno) + std::string(".");
    } else {
        failure = ReadRegularFile(fd, kMaxFileSize, text);
        ::close(fd);
    }
    if (error)
        *error = failure;
    if (!failure.empty())
        return LoadResult::Unreadable;
    Parse(text);
    return LoadResult::Loaded;
}

void IniFile::Parse(const std::string& text) {
    m_lines.clear();
    m_lineEnd = "\n";
    std::size_t start = text.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0 ? kUtf8Bom.size() : 0;
    const std::size_t firstBreak = text.find('\n');
    if (firstBreak != std::string::npos && firstBreak > 0 && text[firstBreak - 1] == '\r')
        m_lineEnd = "\r\n";
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        m_lines.push_back(std::move(line));
        start = end + 1;
    }
}

std::string IniFile::Text() const {
    std::string text;
    for (const std::string& line : m_lines) {
        text += line;
        text += m_lineEnd;
    }
    return text;
}

bool IniFile::Save(const std::string& path, std::string* error) const {
    std::string failure;
    const std::string target = WriteTarget(path, &failure);
    if (!target.empty()) {
        std::string tempPath = Directory(target) + "/." + FileName(target) + ".XXXXXX";
        // mkstemp creates the file with mode 0600: the profiles may hold passwords.
        const int fd = ::mkstemp(tempPath.data());
        if (fd < 0) {
            failure = ErrnoText("Cannot create a file in " + Directory(target));
        } else {
            if (!WriteAll(fd, Text()))
                failure = ErrnoText("Cannot write the new file");
            else if (::fsync(fd) != 0)
                failure = ErrnoText("Cannot write the new file to disk");
            if (::close(fd) != 0 && failure.empty())
                failure = ErrnoText("Cannot write the new file");
            if (failure.empty() && ::rename(tempPath.c_str(), target.c_str()) != 0)
                failure = ErrnoText("Cannot replace " + target);
            if (!failure.empty()) {
                ::unlink(tempPath.c_str());
            } else {
                // Make the rename itself durable; the data is already safe if this fails.
                const int dir = ::open(Directory(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (dir >= 0) {
                    ::fsync(dir);
                    ::close(dir);
                }
            }
        }
    }
    if (error)
        *error = failure;
    return failure.empty();
}

bool IniFile::Update(const std::string& path, const std::function<bool(IniFile&)>& change,
                     std::string* error) {
    std::string failure;
    const std::string target = WriteTarget(path, &failure);
    IniFile ini;
    if (!target.empty()) {
        // Beside path, not its target: a link may point anywhere, even into /dev.
        LockFile lock(path);
        // An existing file that cannot be read would be replaced by the change alone.
        if (lock.Acquire(path, &failure) && ini.Load(target, &failure) != LoadResult::Unreadable &&
            change(ini))
            ini.Save(target, &failure);
    }
    if (error)
        *error = failure;
    return failure.empty();
}

std::vector<std::string> IniFile::SectionNames() const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen; // in lower case
    std::string name;
    for (const std::string& line : m_lines) {
        if (!SectionHeader(line, &name))
            continue;
        std::string lower = name;
        for (char& c : lower)
            c = AsciiLower(c);
        if (seen.insert(std::move(lower)).second)
            names.push_back(name);
    }
    return names;
}

std::vector<IniFile::Range> IniFile::FindSections(const std::string& section) const {
    std::vector<Range> ranges;
    std::string name;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (!SectionHeader(m_lines[i], &name))
            continue;
        if (!ranges.empty() && ranges.back().end == m_lines.size())
            ranges.back().end = i;
        if (EqualsNoCase(name, section))
            ranges.push_back(Range{i, m_lines.size()});
    }
    return ranges;
}

bool IniFile::HasSection(const std::string& section) const {
    return !FindSections(section).empty();
}

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               std::size_t maxLength) const {
    const std::vector<Range> ranges = FindSections(section);
    if (ranges.empty())
        return {};
    std::string name, raw;
    for (std::size_t i = ranges.front().header + 1; i < ranges.front().end; ++i)
        if (KeyLine(m_lines[i], &name, &raw) && EqualsNoCase(name, key))
            return DecodeValue(raw).substr(0, maxLength);
    return {};
}

bool IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!IsStorableSectionName(section) || !IsStorableKeyName(key) || !IsStorableValue(value))
        return false;
    const std::vector<Range> ranges = FindSections(section);
    if (ranges.empty()) {
        if (!m_lines.empty() && !Trimmed(m_lines.back()).empty())
            m_lines.emplace_back();
        m_lines.push_back('[' + section + ']');
        m_lines.push_back(key + '=' + EncodeValue(value));
        return true;
    }
    const Range& range = ranges.front();
    std::size_t insertAt = range.header + 1;
    std::string name;
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (KeyLine(m_lines[i], &name, nullptr) && EqualsNoCase(name, key)) {
            m_lines[i] = name + '=' + EncodeValue(value);
            return true;
        }
        // A new key goes after the section's last line that is not blank.
        if (!Trimmed(m_lines[i]).empty())
            insertAt = i + 1;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), key + '=' + EncodeValue(value));
    return true;
}

bool IniFile::RemoveSection(const std::string& section) {
    const std::vector<Range> ranges = FindSections(section);
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(it->header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(it->end));
    return !ranges.empty();
}

bool IniFile::RemoveKey(const std::string& section, const std::string& key) {
    const std::vector<Range> ranges = FindSections(section);
    if (ranges.empty())
        return false;
    const Range& range = ranges.front();
    std::string name;
    const auto first = m_lines.begin() + static_cast<std::ptrdiff_t>(range.header + 1);
    const auto last = m_lines.begin() + static_cast<std::ptrdiff_t>(range.end);
    const auto kept = std::remove_if(first, last, [&](const std::string& line) {
        return KeyLine(line, &name, nullptr) && EqualsNoCase(name, key);
    });
    if (kept == last)
        return false;
    m_lines.erase(kept, last);
    return true;
}

bool IniFile::IsStorableSectionName(const std::string& section) {
    return !section.empty() && section.find(']') == std::string::npos && !HasLineBreakOrNul(section);
}

bool IniFile::IsStorableKeyName(const std::string& key) {
    return !key.empty() && key == Trimmed(key) && key.find('=') == std::string::npos && key.front() != ';' &&
           key.front() != '#' && key.front() != '[' && !HasLineBreakOrNul(key);
}

bool IniFile::IsStorableValue(const std::string& value) {
    return !HasLineBreakOrNul(value);
}

#pragma once
// Writes a download into a temporary file beside its target through a large buffer and puts it in
// place only when it is complete, so that a failed or cancelled download never leaves a partial file.

#include <cstddef>
#include <string>
#include <vector>

class TempFileWriter {
public:
    explicit TempFileWriter(std::size_t bufferSize = std::size_t{1} << 20);
    ~TempFileWriter(); // an unfinished file is discarded
    TempFileWriter(const TempFileWriter&) = delete;
    TempFileWriter& operator=(const TempFileWriter&) = delete;

    // Creates the temporary file in the target's folder; false when it cannot be created.
    bool open(const std::string& targetPath);
    bool write(const char* data, std::size_t size);
    // Writes what is buffered and renames the file over the target; on failure nothing is left.
    bool commit();
    // Removes the temporary file; the target is not touched.
    void discard();

    bool isOpen() const { return m_fd >= 0; }
    const std::string& tempPath() const { return m_tempPath; }

private:
    bool flush();

    std::vector<char> m_buffer;
    std::size_t m_used = 0;
    int m_fd = -1;
    bool m_failed = false;
    std::string m_targetPath;
    std::string m_tempPath;
};

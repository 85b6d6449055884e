#pragma once
// Writes a download into a temporary file beside its target through a large buffer and puts it in
// place, flushed to disk, only when it is complete, so that a failed or cancelled download (or a
// crash) never leaves a partial file.

#include <cstddef>
#include <string>
#include <vector>

class TempFileWriter {
public:
    explicit TempFileWriter(std::size_t bufferSize = std::size_t{1} << 20);
    ~TempFileWriter(); // an unfinished file is discarded
    TempFileWriter(const TempFileWriter&) = delete;
    TempFileWriter& operator=(const TempFileWriter&) = delete;

    // Creates the temporary file in the target's folder; false when the folder cannot take the
    // target's own name (too long, refused by the file system, a folder in the way) or the temporary
    // file cannot be created. error() then tells why.
    bool open(const std::string& targetPath);
    // Continues a partial file kept by keepAs: writes go to its end and commit renames it onto the
    // target; discard removes it. false (error() tells why) when it or the target's name cannot be used.
    bool openContinuing(const std::string& targetPath, const std::string& partPath);
    bool write(const char* data, std::size_t size);
    // Writes what is buffered and renames the file onto the target; false (and nothing left behind)
    // when a step up to the rename fails. A file that replaces another is flushed to disk first, and
    // its folder after the rename; a new one waits for SyncCommitted.
    bool commit();
    // Flushes the file systems of the new files committed since the last call: one flush for a whole
    // queue instead of two per file.
    static void SyncCommitted();
    // Removes the temporary file; the target is not touched.
    void discard();
    // Keeps what was written, flushed to disk, as partPath for a later download to continue; the
    // target is not touched. false (and nothing kept) when the data or the rename failed.
    bool keepAs(const std::string& partPath);

    bool isOpen() const { return m_fd >= 0; }
    // The errno value of the last failed open.
    int error() const { return m_error; }
    const std::string& tempPath() const { return m_tempPath; }

    // The disk calls of commit, replaceable so that tests can see their order and make them fail.
    struct DiskCalls {
        int (*sync)(int fd);
        int (*rename)(const char* from, const char* to);
    };
    static void SetDiskCalls(const DiskCalls& calls);

private:
    // Forgets an earlier file and checks that the target's folder takes its name.
    bool begin(const std::string& targetPath);
    bool flush();

    std::vector<char> m_buffer;
    std::size_t m_used = 0;
    int m_fd = -1;
    bool m_failed = false;
    int m_error = 0;
    std::string m_targetPath;
    std::string m_tempPath;
    bool m_replacing = false; // the target existed when the file was opened
};

#pragma once
// The transfer queue: its files as plain data, and the pure rules of which rows may be queued and
// the size a row carries.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Small icons of the remote list that mark rows which are not files.
inline constexpr int FolderIcon = 12;
inline constexpr int ParentFolderIcon = 19;
inline constexpr const char* ParentFolderText = ".^.";

// A remote row is downloadable when it is a file: neither a folder nor the parent-folder row.
bool IsDownloadableRow(const std::string& text, int smallIcon);

// The exact size from a row's hidden size column: leading decimal digits, 0 when there are none.
std::int64_t QueuedSizeFromText(const std::string& text);

// total + bytes for byte counts and queue totals: stops at the greatest count instead of wrapping
// round to a negative one (sizes come from the server and may be anything).
std::int64_t AddBytes(std::int64_t total, std::int64_t bytes);

// Whether a server's refusal to open a file (its last reply, lines joined by '\n') concerns that
// file alone, so the rest of a queue can go on: a 4xx or 5xx reply, except 421, which closes the
// session. No reply at all means the session is gone.
bool RefusesOnlyThisFile(const std::string& reply);

enum class TransferDirection { Download, Upload };
enum class ItemState { Waiting, Running, Done, Skipped, Failed };

// One item of a queue: a file, or a folder to create and read. Paths are whole and kept as bytes
// (remote paths as the server lists them, local ones as the disk holds them).
struct TransferItem {
    TransferDirection direction = TransferDirection::Download;
    std::string source{};
    std::string target{};
    std::int64_t size = 0;                  // the source's listed size; 0 for a folder
    std::optional<std::int64_t> modified{}; // the source's time (seconds since 1970, UTC), when known
    std::uint32_t type = 2;                 // FTP_TRANSFER_TYPE_ASCII (1) or _BINARY (2)
    bool folder = false;
    ItemState state = ItemState::Waiting;
    std::string reason{}; // why it failed or was skipped, for the queue view
};

// The items of one transfer in the order they go, their states and the byte total of their files
// (saturating like AddBytes). Views learn of every change through the observer.
class TransferQueue {
public:
    static constexpr std::size_t AllItems = static_cast<std::size_t>(-1);

    std::size_t add(TransferItem item);
    const std::vector<TransferItem>& items() const { return m_items; }
    void setState(std::size_t index, ItemState state, std::string reason = {});
    void clear();
    std::int64_t total() const { return m_total; }
    std::size_t count(ItemState state) const;
    // The first waiting item, AllItems when none waits: items are moved in the order they were added,
    // so a folder's contents, added when it is read, follow everything queued before them.
    std::size_t nextWaiting() const;

    // Called with an item's index after it was added or its state changed, AllItems after clear().
    std::function<void(std::size_t index)> onChanged;

private:
    std::vector<TransferItem> m_items;
    std::int64_t m_total = 0;
};

// How a queue ended, for its closing message: files moved, skipped (by the user's choice) and failed
// (folders that could not be read or created count as failed).
struct QueueCounts {
    std::size_t moved = 0, skipped = 0, failed = 0;
};
QueueCounts CountOutcome(const TransferQueue& queue);
// "Data transfer completed." alone when nothing was skipped or failed, else the counts.
std::string ClosingMessage(const QueueCounts& counts);

// Where a download keeps what arrived when it failed, for a later one to continue: beside the target.
std::string PartPath(const std::string& target);

// folder + "/" + name, without doubling a slash the folder already ends with.
std::string JoinPath(const std::string& folder, const std::string& name);
// The last component of a path (a trailing slash ignored).
std::string LastPathName(const std::string& path);

// The waits before each attempt to restore a dropped session, in milliseconds (1, 5 and 15 s); the
// queue stops after the last. Tests shorten them.
const std::vector<int>& ReconnectWaitsMs();
void SetReconnectWaitsMs(std::vector<int> waits);

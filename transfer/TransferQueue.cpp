#include "transfer/TransferQueue.h"

#include <cctype>
#include <limits>
#include <utility>

bool IsDownloadableRow(const std::string& text, int smallIcon) {
    return smallIcon != FolderIcon && smallIcon != ParentFolderIcon && text != ParentFolderText;
}

std::int64_t QueuedSizeFromText(const std::string& text) {
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos)
        return 0;
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    std::int64_t size = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        if (size > (limit - digit) / 10)
            return limit;
        size = size * 10 + digit;
    }
    return size;
}

std::int64_t AddBytes(std::int64_t total, std::int64_t bytes) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(total, bytes, &sum))
        return bytes < 0 ? std::numeric_limits<std::int64_t>::min()
                         : std::numeric_limits<std::int64_t>::max();
    return sum;
}

bool RefusesOnlyThisFile(const std::string& reply) {
    // Every line of a reply, the first included, begins with its code.
    if (reply.size() < 3 || (reply[0] != '4' && reply[0] != '5') || reply.compare(0, 3, "421") == 0)
        return false;
    return std::isdigit(static_cast<unsigned char>(reply[1])) &&
           std::isdigit(static_cast<unsigned char>(reply[2]));
}

std::size_t TransferQueue::add(TransferItem item) {
    if (!item.folder)
        m_total = AddBytes(m_total, item.size);
    m_items.push_back(std::move(item));
    const std::size_t index = m_items.size() - 1;
    if (onChanged)
        onChanged(index);
    return index;
}

void TransferQueue::setState(std::size_t index, ItemState state, std::string reason) {
    if (index >= m_items.size())
        return;
    m_items[index].state = state;
    m_items[index].reason = std::move(reason);
    if (onChanged)
        onChanged(index);
}

std::size_t TransferQueue::count(ItemState state) const {
    std::size_t n = 0;
    for (const TransferItem& item : m_items)
        n += item.state == state && !item.folder ? 1 : 0;
    return n;
}

void TransferQueue::clear() {
    m_items.clear();
    m_total = 0;
    if (onChanged)
        onChanged(AllItems);
}

std::size_t TransferQueue::nextWaiting() const {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].state == ItemState::Waiting)
            return i;
    return AllItems;
}

QueueCounts CountOutcome(const TransferQueue& queue) {
    QueueCounts counts;
    for (const TransferItem& item : queue.items()) {
        if (item.state == ItemState::Failed)
            ++counts.failed;
        else if (!item.folder && item.state == ItemState::Done)
            ++counts.moved;
        else if (!item.folder && item.state == ItemState::Skipped)
            ++counts.skipped;
    }
    return counts;
}

std::string ClosingMessage(const QueueCounts& counts) {
    if (counts.skipped == 0 && counts.failed == 0)
        return "Data transfer completed.";
    return std::string(counts.failed == 0 ? "Data transfer completed."
                                          : "Data transfer ended with failures.") +
           "\n\nFiles moved: " + std::to_string(counts.moved) +
           "\nSkipped: " + std::to_string(counts.skipped) + "\nFailed: " + std::to_string(counts.failed);
}

std::string PartPath(const std::string& target) {
    return target + ".part";
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string LastPathName(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    const std::size_t slash = path.rfind('/', end - 1);
    return slash == std::string::npos ? path.substr(0, end) : path.substr(slash + 1, end - slash - 1);
}

namespace {
std::vector<int>& reconnectWaits() {
    static std::vector<int> waits{1000, 5000, 15000};
    return waits;
}
} // namespace

const std::vector<int>& ReconnectWaitsMs() {
    return reconnectWaits();
}

void SetReconnectWaitsMs(std::vector<int> waits) {
    reconnectWaits() = std::move(waits);
}

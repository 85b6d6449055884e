#include "session/ftp/HostResolver.h"

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <system_error>
#include <thread>

namespace tovo::ftp::HostResolver {

namespace {

std::mutex g_lookupMutex;
HostLookup g_lookup; // empty: the system's

HostLookup lookupInUse() {
    const std::lock_guard lock(g_lookupMutex);
    return g_lookup ? g_lookup : HostLookup(lookup);
}

} // namespace

std::string hostName(const std::string& typed) {
    const char* const blanks = " \t\r\n";
    const std::size_t first = typed.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    std::string host = typed.substr(first, typed.find_last_not_of(blanks) - first + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']' && host.find(':') != std::string::npos)
        host = host.substr(1, host.size() - 2);
    return host;
}

void useLookup(HostLookup lookupFunction) {
    const std::lock_guard lock(g_lookupMutex);
    g_lookup = std::move(lookupFunction);
}

std::vector<ResolvedAddress> lookup(const std::string& host, int port) {
    std::vector<ResolvedAddress> addresses;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
        // Loopback-only machines have no configured address; try again without that filter.
        hints.ai_flags = 0;
        if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0)
            return addresses;
    }
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        ResolvedAddress address;
        std::memcpy(&address.address, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        addresses.push_back(address);
    }
    ::freeaddrinfo(found);
    return addresses;
}

std::vector<ResolvedAddress> resolve(const std::string& host, int port, const Deadline& deadline,
                                     const HostLookup& lookupFunction) {
    // Shared with the worker, which may outlive this call when the answer comes too late.
    struct Pending {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::vector<ResolvedAddress> addresses;
    };
    const auto pending = std::make_shared<Pending>();
    const HostLookup find = lookupFunction ? lookupFunction : lookupInUse();
    try {
        std::thread([pending, host = hostName(host), port, find] {
            std::vector<ResolvedAddress> addresses = find(host, port);
            const std::lock_guard lock(pending->mutex);
            pending->addresses = std::move(addresses);
            pending->finished = true;
            pending->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }
    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_for(lock, std::chrono::milliseconds(deadline.remainingMs()),
                                [&pending] { return pending->finished; }))
        return {};
    return std::move(pending->addresses);
}

} // namespace tovo::ftp::HostResolver

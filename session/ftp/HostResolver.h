#pragma once
// Name resolution bounded by a deadline: getaddrinfo has no time-out of its own, so it runs on a
// worker thread and the caller stops waiting for it when the time is up.

#include "session/ftp/Deadline.h"

#include <functional>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace tovo::ftp {

struct ResolvedAddress {
    sockaddr_storage address{};
    socklen_t length = 0;
};

using HostLookup = std::function<std::vector<ResolvedAddress>(const std::string& host, int port)>;

namespace HostResolver {

// The stream addresses of host (name or address, IPv4 or IPv6); blocks as long as the system does.
std::vector<ResolvedAddress> lookup(const std::string& host, int port);
// lookup (or another lookup function) waited for until the deadline; empty when it failed or is late.
std::vector<ResolvedAddress> resolve(const std::string& host, int port, const Deadline& deadline,
                                     const HostLookup& lookupFunction = lookup);

} // namespace HostResolver

} // namespace tovo::ftp

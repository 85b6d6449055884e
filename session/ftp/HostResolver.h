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

// The host as typed made fit to look up: without surrounding blanks, and an IPv6 literal without the
// brackets a URL puts around it ("[::1]" is ::1).
std::string hostName(const std::string& typed);
// The stream addresses of host (name or address, IPv4 or IPv6); blocks as long as the system does.
std::vector<ResolvedAddress> lookup(const std::string& host, int port);
// The lookup resolve() uses when given none; an empty function puts the system's back. Tests hand
// in their own addresses this way.
void useLookup(HostLookup lookupFunction);
// hostName(host) looked up (by lookupFunction, else the one in use) and waited for until the deadline;
// empty when it failed or is late.
std::vector<ResolvedAddress> resolve(const std::string& host, int port, const Deadline& deadline,
                                     const HostLookup& lookupFunction = {});

} // namespace HostResolver

} // namespace tovo::ftp

#pragma once
// A loopback port that nothing listens on, for tests of refused connections.

int UnusedLoopbackPort();

#pragma once
// Checks of the connect dialog's fields that need no window: the port the session is given.

#include <optional>
#include <string>

// The port field as a port number: a whole number from 1 to 65535, blanks around it allowed.
std::optional<int> ParsePortField(const std::string& text);

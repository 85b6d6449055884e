#pragma once
// Checks of the connect dialog's fields that need no window: the port the session is given, and the
// protocol a profile names with the port that goes with it.

#include <optional>
#include <string>

// The port field as a port number: a whole number from 1 to 65535, blanks around it allowed.
std::optional<int> ParsePortField(const std::string& text);

// The protocols a connection can use. HTTP is never offered; it comes only from old profiles.
enum class ConnectProtocol { Ftp, Ftps, Sftp, Http };

// The protocol a profile's "Protocol" value names. A profile without the value is HTTP, as it always
// was; a value this version does not know is offered as FTP (the file keeps it until that profile is
// saved again).
ConnectProtocol ProtocolOfProfile(const std::string& value);
// The "Protocol" value a profile of that protocol is saved with.
std::string ProfileProtocolValue(ConnectProtocol protocol);
// The port field after the user chose protocol: SFTP's port, HTTP's, or for FTP and FTPS port 21 when
// the field held no port or another protocol's usual port; otherwise the field as it was.
std::string PortAfterProtocolChoice(const std::string& port, ConnectProtocol protocol);

#include "commandline/CommandSocket.h"

// Placeholder until the socket layer lands: never connects.
CommandSocket::~CommandSocket() = default;
int CommandSocket::Connect() {
    return 1;
}
std::string CommandSocket::ReceiveLine(bool& ok) {
    ok = false;
    return {};
}
int CommandSocket::Send(const std::string&) {
    return -1;
}
bool CommandSocket::IsConnected() const {
    return false;
}
void CommandSocket::Action(int) {}
void CommandSocket::Disconnect() {}
int CommandSocket::State() const {
    return StateClosed;
}

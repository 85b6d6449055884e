#pragma once
// What the command line needs from its window: a transcript to append to, a way to tell the user
// something (a message box with OK, no icon and the application's title), and word of its connection.

#include <cstdint>
#include <string>

class CommandLineView {
public:
    static constexpr std::uint32_t Black = 0x000000;
    static constexpr std::uint32_t Blue = 0x0000FF;
    static constexpr std::uint32_t Red = 0xFF0000;

    virtual ~CommandLineView() = default;
    // Appends at the end of the transcript in the given colour (0xRRGGBB) and weight. Line ends are
    // CR LF.
    virtual void AppendTranscript(const std::string& text, std::uint32_t rgb, bool bold) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The command connection's descriptor, on which what arrives between commands goes to
    // ReadServerLines; -1: nothing to watch.
    virtual void WatchConnection(int /*descriptor*/) {}
    // The server closed the command connection.
    virtual void ConnectionClosed() {}
};

#pragma once
// Paces the chunk loops' pumps of the message loop: a chunk takes microseconds and a pump far longer,
// so the loops pump when a few milliseconds have passed and at the end of every file.

#include <QElapsedTimer>
#include <cstdint>

class ChunkPump {
public:
    // Often enough that the window repaints smoothly and a click on Cancel is handled at once.
    static constexpr qint64 IntervalMs = 5;
    // Bytes moved per read or write call: 64 KiB rather than 1 KiB, so that a fast link does not
    // spend its time in per-call overhead; the engine fills a read whole unless the file ends.
    static constexpr std::uint32_t ChunkBytes = 64 * 1024;

    ChunkPump();
    // After every chunk: pumps the message loop when it is due or when the file has ended, so that a
    // cancel confirmed there is seen before the next chunk or before the file is closed.
    void afterChunk(bool fileEnded);

private:
    QElapsedTimer m_sincePump;
};

#include "transfer/ChunkPump.h"

#include "toolkit/WindowLayer.h"

ChunkPump::ChunkPump() {
    m_sincePump.start();
}

void ChunkPump::afterChunk(bool fileEnded) {
    if (!fileEnded && m_sincePump.elapsed() < IntervalMs)
        return;
    DoEvents();
    m_sincePump.start();
}

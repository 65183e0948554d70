#pragma once

// The data blocks of a cabinet's folder: each block's CFDATA record, compressed on worker threads.

#include "unpack/CabWriter.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

namespace velk {

// The uncompressed size of every block of a folder but the last.
constexpr uint32_t CabBlockSize = 32768;

using TCabBlock = std::shared_ptr<const std::vector<uint8_t>>;

class TCabBlockEncoder;

// Compresses a folder's blocks, given in order, and writes them in that order: on the calling
// thread, or on worker threads with a bounded number of blocks in flight. An MSZIP block may
// refer back into the block before. The destructor stops and joins the workers, also when an
// error leaves blocks unwritten.
class TCabBlockPipeline {
public:
    TCabBlockPipeline(std::ostream& out, TCabCompression compression, int level, unsigned threads,
                      const TCabProgress& progress, uint64_t total);
    ~TCabBlockPipeline();
    TCabBlockPipeline(const TCabBlockPipeline&) = delete;
    TCabBlockPipeline& operator=(const TCabBlockPipeline&) = delete;

    // Every block but the last holds CabBlockSize bytes.
    void Push(TCabBlock block);
    // Writes the blocks still in flight.
    void Finish();

private:
    struct TJob;

    void Work(TCabBlockEncoder& encoder);
    void EmitOldest();
    void Emit(const std::vector<uint8_t>& record, uint32_t size);
    void Stop();

    std::ostream& out_;
    const TCabProgress& progress_;
    const uint64_t total_;
    uint64_t written_ = 0;
    TCabBlock previous_;

    // One thread: the encoder and its record buffer.
    std::unique_ptr<TCabBlockEncoder> encoder_;
    std::vector<uint8_t> record_;

    // Several: blocks not yet written, oldest first, and those no worker has taken yet.
    size_t window_ = 0;
    std::deque<std::shared_ptr<TJob>> inFlight_;
    std::deque<std::shared_ptr<TJob>> waiting_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    bool stop_ = false;
};

} // namespace velk

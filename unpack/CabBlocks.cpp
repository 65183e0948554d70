#include "unpack/CabBlocks.h"

#include "platform/StrUtils.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace velk {

namespace {

constexpr size_t DataHeaderSize = 8; // CFDATA before the data

// Whether deflate could only store the block: its bytes are near-uniform (packed or random data)
// and nothing in it repeats an earlier stretch of it or of the block before. Deflate spends as
// long searching such a block for matches as it does on text, to no gain. Repeats are found at
// anchors that depend on the content only, so both copies of a stretch of a few hundred bytes or
// more hold one at the same place with near certainty.
bool LooksIncompressible(const uint8_t* data, uint32_t size, const uint8_t* previous) {
    uint32_t counts[256] = {};
    for (uint32_t i = 0; i < size; ++i)
        ++counts[data[i]];
    // Huffman codes alone save more than their table costs unless the bytes carry at least
    // about 7.97 bits each: here the collision entropy, -log2 of the sum of the squared byte
    // frequencies (never above the Shannon entropy), 2^-7.97 = 1.021 / 256. Integers only, so
    // that every build decides alike.
    uint64_t squares = 0;
    for (uint64_t count : counts)
        squares += count * count;
    if (squares * 256 * 1000 > uint64_t(size) * size * 1021)
        return false;

    constexpr size_t KeySize = 8;
    std::vector<uint64_t> earlier, keys;
    auto collect = [](const uint8_t* p, uint32_t n, std::vector<uint64_t>& out) {
        for (uint32_t i = 0; i + KeySize <= n; ++i) {
            uint32_t head;
            std::memcpy(&head, p + i, 4);
            if ((head * 2654435761u) >> 26 == 0) { // one place in 64
                uint64_t key;
                std::memcpy(&key, p + i, KeySize);
                out.push_back(key);
            }
        }
    };
    if (previous != nullptr)
        collect(previous, CabBlockSize, earlier);
    collect(data, size, keys);
    std::sort(earlier.begin(), earlier.end());
    std::sort(keys.begin(), keys.end());
    if (std::adjacent_find(keys.begin(), keys.end()) != keys.end())
        return false;
    for (uint64_t key : keys)
        if (std::binary_search(earlier.begin(), earlier.end(), key))
            return false;
    return true;
}

} // namespace

// Turns one block of the folder's data into its CFDATA record: header, then the payload.
class TCabBlockEncoder {
public:
    TCabBlockEncoder(TCabCompression compression, int level) : compression_(compression) {
        if (compression_ != TCabCompression::MsZip)
            return;
        // Raw deflate with the largest window: a block may reach 32 KB back into the one before.
        if (deflateInit2(&zip_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw ECabWriteError("Cannot start the MSZIP compressor.");
        bound_ = 2 + deflateBound(&zip_, CabBlockSize);
        started_ = true;
    }
    ~TCabBlockEncoder() {
        if (started_)
            deflateEnd(&zip_);
    }
    TCabBlockEncoder(const TCabBlockEncoder&) = delete;
    TCabBlockEncoder& operator=(const TCabBlockEncoder&) = delete;

    // `previous` is the block before (CabBlockSize bytes) or null for the folder's first block.
    void Encode(const uint8_t* data, uint32_t size, const uint8_t* previous,
                std::vector<uint8_t>& record) {
        if (compression_ != TCabCompression::MsZip) {
            record.resize(DataHeaderSize + size);
            std::memcpy(record.data() + DataHeaderSize, data, size);
        } else if (LooksIncompressible(data, size, previous)) {
            // "CK", then one final stored deflate block: the bytes as they are.
            record.resize(DataHeaderSize + 7 + size);
            uint8_t* packed = record.data() + DataHeaderSize;
            packed[0] = 'C';
            packed[1] = 'K';
            packed[2] = 1;
            PutLE16(packed + 3, uint16_t(size));
            PutLE16(packed + 5, uint16_t(~size));
            std::memcpy(packed + 7, data, size);
        } else {
            record.resize(DataHeaderSize + bound_);
            uint8_t* packed = record.data() + DataHeaderSize;
            packed[0] = 'C';
            packed[1] = 'K';
            // Every block is a deflate stream of its own, started afresh: its bytes depend on
            // this block and the one before only, so blocks can be compressed in any order.
            deflateReset(&zip_);
            if (previous != nullptr && deflateSetDictionary(&zip_, previous, CabBlockSize) != Z_OK)
                throw ECabWriteError("MSZIP compression failed.");
            zip_.next_in = const_cast<Bytef*>(data);
            zip_.avail_in = size;
            zip_.next_out = packed + 2;
            zip_.avail_out = uInt(bound_ - 2);
            if (deflate(&zip_, Z_FINISH) != Z_STREAM_END)
                throw ECabWriteError("MSZIP compression failed.");
            record.resize(record.size() - zip_.avail_out);
        }
        uint8_t* header = record.data();
        const size_t payloadSize = record.size() - DataHeaderSize;
        PutLE16(header + 4, uint16_t(payloadSize));
        PutLE16(header + 6, uint16_t(size));
        PutLE32(header,
                CabChecksum(header + 4, 4, CabChecksum(header + DataHeaderSize, payloadSize, 0)));
    }

private:
    TCabCompression compression_;
    z_stream zip_{};
    size_t bound_ = 0;
    bool started_ = false;
};

struct TCabBlockPipeline::TJob {
    TCabBlock Data, Previous;
    std::vector<uint8_t> Record;
    std::string Error;
    bool Done = false;
};

TCabBlockPipeline::TCabBlockPipeline(std::ostream& out, TCabCompression compression, int level,
                                     unsigned threads, const TCabProgress& progress, uint64_t total)
    : out_(out), progress_(progress), total_(total) {
    if (compression != TCabCompression::MsZip || threads <= 1) {
        encoder_ = std::make_unique<TCabBlockEncoder>(compression, level);
        return;
    }
    window_ = 4 * size_t(threads);
    // Started here, so that a compressor that cannot start is an error of Write.
    std::vector<std::unique_ptr<TCabBlockEncoder>> encoders;
    for (unsigned i = 0; i < threads; ++i)
        encoders.push_back(std::make_unique<TCabBlockEncoder>(compression, level));
    try {
        for (auto& encoder : encoders)
            workers_.emplace_back([this, e = std::move(encoder)] { Work(*e); });
    } catch (...) {
        Stop();
        throw;
    }
}

TCabBlockPipeline::~TCabBlockPipeline() {
    Stop();
}

void TCabBlockPipeline::Push(TCabBlock block) {
    TCabBlock previous = std::exchange(previous_, block);
    if (encoder_) {
        encoder_->Encode(block->data(), uint32_t(block->size()),
                         previous ? previous->data() : nullptr, record_);
        Emit(record_, uint32_t(block->size()));
        return;
    }
    auto job = std::make_shared<TJob>();
    job->Data = std::move(block);
    job->Previous = std::move(previous);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(job);
        inFlight_.push_back(job);
    }
    wake_.notify_one();
    while (inFlight_.size() >= window_)
        EmitOldest();
}

void TCabBlockPipeline::Finish() {
    while (!inFlight_.empty())
        EmitOldest();
}

void TCabBlockPipeline::Work(TCabBlockEncoder& encoder) {
    for (;;) {
        std::shared_ptr<TJob> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || !waiting_.empty(); });
            if (stop_)
                return;
            job = std::move(waiting_.front());
            waiting_.pop_front();
        }
        try {
            encoder.Encode(job->Data->data(), uint32_t(job->Data->size()),
                           job->Previous ? job->Previous->data() : nullptr, job->Record);
        } catch (const std::exception& e) {
            job->Error = e.what();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job->Done = true;
            job->Previous.reset();
        }
        done_.notify_all();
    }
}

void TCabBlockPipeline::EmitOldest() {
    std::shared_ptr<TJob> job = inFlight_.front();
    {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return job->Done; });
    }
    inFlight_.pop_front();
    if (!job->Error.empty())
        throw ECabWriteError(job->Error);
    Emit(job->Record, uint32_t(job->Data->size()));
}

void TCabBlockPipeline::Emit(const std::vector<uint8_t>& record, uint32_t size) {
    out_.write(reinterpret_cast<const char*>(record.data()), std::streamsize(record.size()));
    if (!out_)
        throw ECabWriteError("Cannot write the cabinet.");
    written_ += size;
    if (progress_)
        progress_(written_, total_);
}

void TCabBlockPipeline::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
    workers_.clear();
}

} // namespace velk

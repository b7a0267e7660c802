#pragma once
// Where a writer stands in its job, kept from the commands written to it: nothing
// changed yet, its configuration sent up to a step, restarting into its boot
// loader, its firmware erased or programmed up to a page, reset. An interrupted
// run says it in one sentence. Lock-free: a signal handler may read it.

#include <atomic>
#include <cstddef>

#include "protocol/WireDecoder.h"

namespace vantrel {

class WriterWhereabouts {
public:
    // A command is about to be written to the writer.
    void Note(const WireCommand& command);
    // The sentence for the present state, without a line end, in `buffer`
    // (async-signal-safe). `writerCommand`: false for a run that writes files only
    // (nothing was touched then means no output was written). Returns its length.
    size_t Describe(char* buffer, size_t size, bool writerCommand = true) const;
    // Back to a writer untouched.
    void Reset();

private:
    std::atomic<int> m_place{0};
    std::atomic<int> m_page{0};
    std::atomic<const char*> m_step{""};
};

}  // namespace vantrel

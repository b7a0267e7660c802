#include "app/WriterWhereabouts.h"

#include <cstring>

#include "common/FixedText.h"
#include "upgrade/FirmwareImage.h"

namespace vantrel {

namespace {

enum Place : int {
    kUntouched,
    kConfiguring,
    kConfigured,
    kEnteringBootLoader,
    kInBootLoader,
    kErasing,
    kProgramming,
    kReset,
};

bool Is(const char* name, const char* wanted) { return std::strcmp(name, wanted) == 0; }

}  // namespace

void WriterWhereabouts::Note(const WireCommand& command) {
    if (command.name == nullptr) return;
    const char* name = command.name;
    const int place = m_place.load();
    int next = place;
    if (Is(name, "QueryWriterLevel")) {
        // A question only.
    } else if (Is(name, "DisConnectWriter")) {
        next = kConfigured;
    } else if (!command.boot && !Is(name, "EnterLdrom")) {
        next = kConfiguring;
    } else if (Is(name, "EnterLdrom")) {
        next = kEnteringBootLoader;
    } else if (Is(name, "QueryBootLoader")) {
        if (place < kInBootLoader) next = kInBootLoader;
    } else if (Is(name, "EraseApromPage")) {
        next = kErasing;
    } else if (Is(name, "ProgramApromPage") || Is(name, "ReadApromChecksum")) {
        next = kProgramming;
    } else if (Is(name, "SystemReset")) {
        next = kReset;
    }
    if (command.page >= 0) m_page = command.page;
    m_step = name;
    m_place = next;
}

size_t WriterWhereabouts::Describe(char* buffer, size_t size, bool writerCommand) const {
    FixedText text(buffer, size);
    const int pages = static_cast<int>(kPageCount);
    switch (m_place.load()) {
        case kUntouched:
            text << (writerCommand ? "nothing was changed on the writer"
                                   : "no output file was written");
            break;
        case kConfiguring:
            text << "the writer is left with its configuration sent only up to " << m_step.load()
                 << ": run configure again";
            break;
        case kConfigured:
            text << "the writer had received its whole configuration";
            break;
        case kEnteringBootLoader:
            text << "the writer is left restarting into its boot loader: run upgrade again";
            break;
        case kInBootLoader:
            text << "the writer is left in its boot loader: run upgrade again";
            break;
        case kErasing:
            text << "the writer is left in its boot loader with its firmware erased up to page "
                 << m_page.load() + 1 << " of " << pages << ": run upgrade again";
            break;
        case kProgramming:
            text << "the writer is left in its boot loader with its firmware programmed up to "
                    "page "
                 << m_page.load() + 1 << " of " << pages << ": run upgrade again";
            break;
        default:
            text << "the writer was reset into its new firmware";
            break;
    }
    return text.Length();
}

void WriterWhereabouts::Reset() {
    m_place = kUntouched;
    m_page = 0;
    m_step = "";
}

}  // namespace vantrel

// The boot-loader commands of the firmware upgrade, and EnterLdrom, which asks the
// writer's application to restart into its boot loader.
//
// Every command is one transaction over m_hidDevice: it sets its own fields of the
// shared command record (every other byte keeps what an earlier command left
// there), opens the link, writes the record, writes data or reads the reply where
// the command has them, and closes the link. The whole transaction holds the link
// gate, so that presence tracking never uses the link or the command record in
// the middle of it. A failure's message box is shown after the gate has been
// released: an operator who leaves the box open must not hold up presence tracking.

#include "upgrade/BootLoaderCommands.h"

#include <cstring>

#include "app/VantrelCore.h"
#include "upgrade/FirmwareImage.h"

using namespace vantrel;

namespace {

const wchar_t kMsgCannotOpen[] = L"Can't Open HID Device\n";
const wchar_t kMsgSendFailed[] = L"ERROR: Send read command error!\n";
const wchar_t kMsgReadFailed[] = L"ERROR: Read fail!\n";
const wchar_t kMsgCaption[] = L"Message";

// Where a command's transaction ended.
enum class Outcome { Done, OpenFailed, WriteFailed, ReadFailed };

// Sets bytes 0-7 of the command record: family, request kind, command word and the
// 16-bit length field, both numbers least significant byte first.
void SetCommandHeader(uint8_t* record, uint8_t family, uint8_t kind, uint32_t word,
                      uint16_t length) {
    record[0] = family;
    record[1] = kind;
    for (int i = 0; i < 4; ++i) record[2 + i] = static_cast<uint8_t>(word >> (8 * i));
    record[6] = static_cast<uint8_t>(length);
    record[7] = static_cast<uint8_t>(length >> 8);
}

// Sets bytes 8-11 of the command record to a page address, least significant first.
void SetPageAddress(uint8_t* record, uint32_t pageAddress) {
    for (int i = 0; i < 4; ++i) record[8 + i] = static_cast<uint8_t>(pageAddress >> (8 * i));
}

// What a transaction does after writing the command record.
struct Exchange {
    uint32_t vendorId = kBootLoaderVendorId;
    uint32_t productId = kBootLoaderProductId;
    uint32_t versionNumber = kBootLoaderVersion;
    const uint8_t* page = nullptr;  // 512 bytes to send as 8 data reports, after a pause
    uint8_t* reply = nullptr;       // 64-byte buffer for the one reply to read
    bool clearReply = false;        // zero the reply buffer before the exchange
    bool closeOnSuccess = true;     // false: a successful transaction leaves the link open
    uint32_t received = 0;          // data bytes of the reply that arrived
};

// Runs one transaction with the command record as the caller has set it. The
// caller holds the link gate.
Outcome Transact(CVantrelCore& core, Exchange& exchange) {
    CHidDevice& link = core.m_hidDevice;
    if (!link.Open(exchange.vendorId, exchange.productId, exchange.versionNumber)) {
        // The link stays as Open left it.
        return Outcome::OpenFailed;
    }
    if (exchange.clearReply) std::memset(exchange.reply, 0, 64);

    uint32_t written = 0;
    if (!link.WriteReport(core.m_commandRecord, written)) {
        link.Close();
        return Outcome::WriteFailed;
    }
    if (exchange.page != nullptr) {
        core.m_clock.Sleep(kProgramPauseMs);
        // Reports already written are not taken back when a later one fails.
        for (uint32_t offset = 0; offset < kPageSize; offset += 64) {
            if (!link.WriteReport(exchange.page + offset, written)) {
                link.Close();
                return Outcome::WriteFailed;
            }
        }
    }
    if (exchange.reply != nullptr && !link.ReadReport(exchange.reply, exchange.received)) {
        link.Close();
        return Outcome::ReadFailed;
    }
    if (exchange.closeOnSuccess) link.Close();
    return Outcome::Done;
}

// Shows the message box of a failed step; nothing for a finished transaction.
void ShowFailure(CVantrelCore& core, Outcome outcome) {
    const wchar_t* text = nullptr;
    switch (outcome) {
        case Outcome::OpenFailed:
            text = kMsgCannotOpen;
            break;
        case Outcome::WriteFailed:
            text = kMsgSendFailed;
            break;
        case Outcome::ReadFailed:
            text = kMsgReadFailed;
            break;
        case Outcome::Done:
            return;
    }
    core.m_view.ShowMessage(text, kMsgCaption, kMbSystemModal);
}

// Builds one of the three page commands (erase, program, checksum read) in the
// command record and runs its transaction while holding the link.
Outcome RunPageCommand(CVantrelCore& core, uint8_t request, uint32_t pageAddress,
                       Exchange& exchange) {
    LinkTransaction guard(core);
    SetCommandHeader(core.m_commandRecord, kBootLoaderFamily, request, kPageCommandWord, 2);
    SetPageAddress(core.m_commandRecord, pageAddress);
    return Transact(core, exchange);
}

}  // namespace

bool CVantrelCore::EraseApromPage(uint32_t pageAddress) {
    // Not cleared: only reply bytes that actually arrived are looked at.
    uint8_t reply[64];
    Exchange exchange;
    exchange.reply = reply;
    const Outcome outcome = RunPageCommand(*this, kEraseRequest, pageAddress, exchange);
    if (outcome != Outcome::Done) {
        ShowFailure(*this, outcome);
        return false;
    }
    // Byte 1 is 0 when the page was erased; any other value is a refusal, without a
    // message. A reply too short to hold byte 1 confirms nothing and counts as one.
    return exchange.received >= 2 && reply[1] == 0;
}

bool CVantrelCore::ProgramApromPage(uint32_t pageAddress, const uint8_t* page) {
    Exchange exchange;
    exchange.page = page;
    const Outcome outcome = RunPageCommand(*this, kProgramRequest, pageAddress, exchange);
    ShowFailure(*this, outcome);
    return outcome == Outcome::Done;
}

bool CVantrelCore::ReadApromChecksum(uint32_t pageAddress, uint32_t& checksum) {
    uint8_t reply[64];
    Exchange exchange;
    exchange.reply = reply;
    exchange.clearReply = true;
    const Outcome outcome = RunPageCommand(*this, kChecksumRequest, pageAddress, exchange);
    if (outcome != Outcome::Done) {
        ShowFailure(*this, outcome);
        return false;
    }
    checksum = static_cast<uint32_t>(reply[0]) | static_cast<uint32_t>(reply[1]) << 8 |
               static_cast<uint32_t>(reply[2]) << 16 | static_cast<uint32_t>(reply[3]) << 24;
    return true;
}

bool CVantrelCore::SystemReset() {
    Exchange exchange;
    Outcome outcome;
    {
        LinkTransaction guard(*this);
        // Bytes 8-11 keep the page address of the command before.
        SetCommandHeader(m_commandRecord, kBootLoaderFamily, kResetRequest, kResetCommandWord, 0);
        outcome = Transact(*this, exchange);
    }
    ShowFailure(*this, outcome);
    return outcome == Outcome::Done;
}

bool CVantrelCore::EnterLdrom() { return RequestLdrom(*this) == LdromRequest::Sent; }

namespace vantrel {

LdromRequest RequestLdrom(CVantrelCore& core) {
    Exchange exchange;
    exchange.vendorId = static_cast<uint32_t>(core.m_nVid);
    exchange.productId = static_cast<uint32_t>(core.m_nPid);
    exchange.versionNumber = static_cast<uint32_t>(core.m_nAppVersion);
    // The writer leaves the bus as it restarts; presence tracking closes the link
    // when the removal notice names it.
    exchange.closeOnSuccess = false;
    Outcome outcome;
    {
        LinkTransaction guard(core);
        SetCommandHeader(core.m_commandRecord, core.m_nCommandFamily, kEnterLdromRequest,
                         command_word::kEnterLdrom, 0);
        outcome = Transact(core, exchange);
    }
    switch (outcome) {
        case Outcome::Done:
            return LdromRequest::Sent;
        case Outcome::OpenFailed:
            // The caller reports this one in its own words.
            return LdromRequest::NotOpened;
        default:
            ShowFailure(core, outcome);
            return LdromRequest::NotWritten;
    }
}

}  // namespace vantrel

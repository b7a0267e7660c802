// The writer's two firmwares: what each does with a command record and the data
// reports that follow it.

#include <algorithm>
#include <cstdint>

#include "sim/SimTrace.h"
#include "sim/SimWriterState.h"

namespace vantrel::sim {

namespace {

constexpr uint8_t kStatusAccepted = 0x80;
constexpr uint8_t kStatusRefused = 0x90;
constexpr uint8_t kEraseDone = 0x00;
constexpr uint8_t kEraseRefused = 0x01;
constexpr int kPageReports = static_cast<int>(kPageSize / 64);

bool PageAddressValid(uint32_t address) { return address % kPageSize == 0 && address < kApromSize; }

Report64 StatusReply(uint8_t status) {
    Report64 reply{};
    reply[1] = status;
    return reply;
}

}  // namespace

bool SimWriter::State::HasFault(Fault::Kind kind, const std::string& name, int occurrence) const {
    return std::any_of(options.faults.begin(), options.faults.end(), [&](const Fault& fault) {
        if (fault.kind != kind || fault.name != name) return false;
        return kind == Fault::NoBoot || fault.occurrence == occurrence;
    });
}

uint32_t SimWriter::State::PageChecksum(uint32_t address) const {
    uint32_t sum = 0;
    for (uint32_t i = 0; i < kPageSize; i += 4) {
        const uint8_t* word = &aprom[address + i];
        sum += static_cast<uint32_t>(word[0]) | static_cast<uint32_t>(word[1]) << 8 |
               static_cast<uint32_t>(word[2]) << 16 | static_cast<uint32_t>(word[3]) << 24;
    }
    return sum;
}

bool SimWriter::State::Receive(const uint8_t* data, bool bootLoaderHandle) {
    if (pendingData) {
        AddTrace(TraceLine(TraceDirection::Out, bootLoaderHandle, data, 64));
        TakeData(data);
        return true;
    }

    const SimFirmware firmware =
        mode == SimMode::BootLoader ? SimFirmware::BootLoader : SimFirmware::Application;
    const SimCommandInfo* command = DecodeCommand(firmware, data);
    const int occurrence = command != nullptr ? ++occurrences[command->name] : 0;

    // A command that has no reply and is "silent" is not even taken off the bus.
    if (command != nullptr &&
        (command->action == SimAction::LeaveForOther || command->action == SimAction::TakePage) &&
        HasFault(Fault::Silent, command->name, occurrence)) {
        return false;
    }

    AddTrace(TraceLine(TraceDirection::Out, bootLoaderHandle, data, 64));
    RecordedCommand entry;
    entry.mode = mode;
    entry.name = command != nullptr ? command->name : "Unknown";
    entry.known = command != nullptr;
    entry.occurrence = occurrence;
    std::copy(data, data + 64, entry.bytes.begin());
    record.push_back(std::move(entry));

    const char* firmwareName = firmware == SimFirmware::BootLoader ? "boot loader" : "application";
    if (command == nullptr) {
        AddAnomaly(std::string("the ") + firmwareName + " does not know the command " +
                   HexBytes(data, 8));
        return true;
    }
    if (!LengthFits(*command, RecordLength(data))) {
        AddAnomaly(std::string(command->name) + " with length " +
                   std::to_string(RecordLength(data)));
    }
    if (firmware == SimFirmware::BootLoader) {
        ExecuteBootLoader(*command, occurrence, data);
    } else {
        ExecuteApplication(*command, occurrence, data);
    }
    return true;
}

void SimWriter::State::ExecuteApplication(const SimCommandInfo& command, int occurrence,
                                          const uint8_t* data) {
    const bool refuse = HasFault(Fault::Refuse, command.name, occurrence);
    const bool silent = HasFault(Fault::Silent, command.name, occurrence);
    const uint8_t status = refuse ? kStatusRefused : kStatusAccepted;

    switch (command.action) {
        case SimAction::Answer: {
            if (silent) return;
            Report64 reply = StatusReply(status);
            if (std::string(command.name) == "QueryWriterLevel") {
                const uint32_t level = options.writerLevel;
                reply[8] = static_cast<uint8_t>(level >> 24);
                reply[9] = static_cast<uint8_t>(level >> 16);
                reply[10] = static_cast<uint8_t>(level >> 8);
                reply[11] = static_cast<uint8_t>(level);
            }
            QueueReply(reply);
            return;
        }
        case SimAction::AnswerTwice: {
            if (silent) return;
            QueueReply(StatusReply(status));
            if (refuse) return;
            const int reports = (RecordLength(data) + 63) / 64;
            if (reports == 0) {
                QueueReply(StatusReply(kStatusAccepted));
                return;
            }
            pendingData = PendingData{&command, reports, record.size() - 1, false, 0, {}};
            return;
        }
        case SimAction::LeaveForOther:
            if (refuse) return;
            Leave();
            pendingArrival =
                ScheduledArrival{Now() + options.reenumerateDelayMs, SimMode::BootLoader};
            return;
        case SimAction::TakePage:
            return;  // not an application command
    }
}

void SimWriter::State::ExecuteBootLoader(const SimCommandInfo& command, int occurrence,
                                         const uint8_t* data) {
    const std::string name = command.name;
    const bool refuse = HasFault(Fault::Refuse, name, occurrence);
    const bool silent = HasFault(Fault::Silent, name, occurrence);
    const uint32_t address = RecordPageAddress(data);
    const bool usesAddress =
        name == "EraseApromPage" || name == "ProgramApromPage" || name == "ReadApromChecksum";
    const bool addressValid = PageAddressValid(address);
    if (usesAddress && !addressValid) {
        AddAnomaly(name + " for address " + std::to_string(address) +
                   ", which is not the start of an APROM page");
    }

    if (name == "EraseApromPage") {
        if (silent) return;
        Report64 reply{};
        if (refuse || !addressValid) {
            reply[1] = kEraseRefused;
        } else {
            std::fill_n(aprom.begin() + address, kPageSize, uint8_t{0xFF});
            reply[1] = kEraseDone;
        }
        QueueReply(reply);
    } else if (name == "ProgramApromPage") {
        // A refused page is taken off the bus but not programmed.
        pendingData = PendingData{
            &command, kPageReports, record.size() - 1, !refuse && addressValid, address, {}};
    } else if (name == "ReadApromChecksum") {
        if (silent) return;
        uint32_t sum = addressValid ? PageChecksum(address) : 0;
        const bool badSum =
            std::any_of(options.faults.begin(), options.faults.end(), [&](const Fault& fault) {
                return fault.kind == Fault::BadSum && fault.page >= 0 &&
                       static_cast<uint32_t>(fault.page) == address / kPageSize;
            });
        if (addressValid && badSum) sum += 1;
        Report64 reply{};
        reply[0] = static_cast<uint8_t>(sum);
        reply[1] = static_cast<uint8_t>(sum >> 8);
        reply[2] = static_cast<uint8_t>(sum >> 16);
        reply[3] = static_cast<uint8_t>(sum >> 24);
        QueueReply(reply);
    } else if (name == "QueryBootLoader") {
        if (silent || HasFault(Fault::NoBoot, name, occurrence)) return;
        Report64 reply{};
        reply[0] = refuse ? 0 : 1;
        QueueReply(reply);
    } else if (name == "SystemReset") {
        if (refuse) return;
        Leave();
        pendingArrival = ScheduledArrival{Now() + options.reenumerateDelayMs, SimMode::Application};
    }
}

void SimWriter::State::TakeData(const uint8_t* data) {
    PendingData& pending = *pendingData;
    if (pending.recordIndex < record.size()) {
        Report64 report;
        std::copy(data, data + 64, report.begin());
        record[pending.recordIndex].data.push_back(report);
    }
    pending.bytes.insert(pending.bytes.end(), data, data + 64);
    if (--pending.remaining > 0) return;

    if (pending.command->action == SimAction::AnswerTwice) {
        QueueReply(StatusReply(kStatusAccepted));
    } else if (pending.program) {
        // Programming flash can only clear bits: an unerased page keeps its zeros.
        for (uint32_t i = 0; i < kPageSize; ++i) aprom[pending.address + i] &= pending.bytes[i];
    }
    pendingData.reset();
}

}  // namespace vantrel::sim

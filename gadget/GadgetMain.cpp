// vantrel-gadget: the simulated writer as a real USB HID device. It runs the
// simulated writer's firmware behind a configfs HID gadget, so that a host on the
// other side of the USB device controller (dummy_hcd on the same machine, or a PC
// cabled to a board's device port) sees a writer in its application or boot
// loader and can configure and upgrade it with the real tool.

#include <signal.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/OutputFile.h"
#include "common/Text.h"
#include "gadget/ConfigfsGadget.h"
#include "gadget/GadgetBridge.h"
#include "sim/SimOptionReader.h"
#include "sim/SimOptions.h"
#include "sim/SimWriter.h"

namespace {

std::atomic<bool> g_stop{false};
std::atomic<bool> g_toggle{false};

void OnStop(int) { g_stop = true; }
void OnToggle(int) { g_toggle = true; }

const char kUsage[] =
    "usage: vantrel-gadget [OPTIONS]\n"
    "Runs the simulated writer behind a configfs USB HID gadget (0416:5020) until\n"
    "SIGINT, SIGTERM or SIGHUP, then removes the gadget. SIGUSR1 unplugs the writer,\n"
    "or plugs it in again.\n"
    "  --udc NAME           USB device controller (default: the first in /sys/class/udc)\n"
    "  --name NAME          gadget folder under <configfs>/usb_gadget (default vantrel)\n"
    "  --configfs DIR       where configfs is mounted (default /sys/kernel/config)\n"
    "  --sim-boot           start in the boot loader\n"
    "  --sim-level N        writer level that the application reports (default 0x03000000)\n"
    "  --sim-aprom-in F     the APROM's contents at start (69,632 bytes)\n"
    "  --sim-aprom-out F    write the APROM to F after each reset and at the end\n"
    "  --sim-fault FAULT    inject a fault (as vantrel-cli --sim-fault); may be repeated\n"
    "  --unplug-after NAME[#K]  unplug the writer after the K-th command NAME\n"
    "  --trace FILE         write every report to FILE, one line each\n"
    "  -v, --verbose        name each command received\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "vantrel-gadget: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vantrel;
    gadget::GadgetSettings gadgetSettings;
    gadget::BridgeSettings bridgeSettings;
    sim::SimOptions simOptions;
    std::string tracePath;
    // The files the gadget reads: none of its outputs may be one of them.
    std::vector<std::wstring> inputs;

    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string text;
        const std::wstring name = FromNativeBytes(arg);
        std::wstring simError;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "-v" || arg == "--verbose") {
            bridgeSettings.verbose = true;
        } else if (arg == "--sim-boot") {
            sim::ApplySimOption(name, L"", simOptions, simError);
        } else if (!value(text)) {
            return Usage(arg.rfind("--", 0) == 0 ? arg + " needs a value or is unknown"
                                                 : "unexpected argument '" + arg + "'");
        } else if (arg == "--udc") {
            gadgetSettings.udc = text;
        } else if (arg == "--name") {
            gadgetSettings.name = text;
        } else if (arg == "--configfs") {
            gadgetSettings.configfs = text;
        } else if (arg == "--sim-level" || arg == "--sim-aprom-in") {
            if (sim::ApplySimOption(name, FromNativeBytes(text), simOptions, simError) !=
                sim::SimOptionResult::Applied)
                return Usage(ToUtf8(simError));
            if (arg == "--sim-aprom-in") inputs.push_back(FromNativeBytes(text));
        } else if (arg == "--sim-aprom-out") {
            bridgeSettings.apromOut = text;
        } else if (arg == "--sim-fault") {
            if (sim::ApplySimOption(name, FromNativeBytes(text), simOptions, simError) !=
                sim::SimOptionResult::Applied)
                return Usage(ToUtf8(simError));
        } else if (arg == "--unplug-after") {
            // The same NAME[#K] as a fault's, checked by the fault grammar.
            sim::Fault fault;
            std::string error;
            if (!sim::ParseFault("silent:" + text, fault, error)) return Usage(error);
            bridgeSettings.unplugAfter = fault.name;
            bridgeSettings.unplugOccurrence = fault.occurrence;
        } else if (arg == "--trace") {
            tracePath = text;
        } else {
            return Usage("unknown option '" + arg + "'");
        }
    }

    // Both outputs are checked before the gadget appears on the bus.
    const std::wstring apromOut = FromNativeBytes(bridgeSettings.apromOut);
    if (!apromOut.empty()) {
        std::vector<std::wstring> kept = inputs;
        if (!tracePath.empty()) kept.push_back(FromNativeBytes(tracePath));
        const std::wstring problem = bridgeSettings.apromOut == tracePath
                                         ? L"it is the trace file"
                                         : OutputProblem(apromOut, kept);
        if (!problem.empty())
            return Usage("cannot write '" + bridgeSettings.apromOut + "': " + ToUtf8(problem));
    }
    FILE* trace = nullptr;
    if (!tracePath.empty()) {
        std::wstring problem;
        trace = OpenLineOutput(FromNativeBytes(tracePath), inputs, problem);
        if (trace == nullptr)
            return Usage("cannot create the trace file '" + tracePath + "': " + ToUtf8(problem));
        // The APROM image written later may not replace the trace.
        inputs.push_back(FromNativeBytes(tracePath));
    }
    bridgeSettings.inputs = inputs;

    struct sigaction stop {};
    stop.sa_handler = OnStop;
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGHUP, &stop, nullptr);
    struct sigaction toggle {};
    toggle.sa_handler = OnToggle;
    sigaction(SIGUSR1, &toggle, nullptr);

    RealClock clock;
    sim::SimWriter writer(clock, simOptions);
    if (trace != nullptr) {
        writer.SetTraceSink([trace](const std::string& line) {
            std::fprintf(trace, "%s\n", line.c_str());
            std::fflush(trace);
        });
    }
    int status = 1;
    {
        gadget::ConfigfsGadget configfs(gadgetSettings);
        gadget::GadgetBridge bridge(writer, configfs, bridgeSettings);
        if (bridge.Start() && bridge.Run(g_stop, g_toggle)) status = 0;
        if (!bridge.SaveAprom()) status = 1;
    }  // the gadget is removed here, also after a failure
    std::fprintf(stderr, "vantrel-gadget: gadget removed\n");
    if (trace != nullptr) std::fclose(trace);
    return status;
}

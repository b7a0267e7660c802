#pragma once
// A core configuring the simulated writer in virtual time, through a link that can
// be broken on purpose, with the control files written to a temporary folder.

#include <memory>
#include <string>
#include <vector>

#include "app/VantrelCore.h"
#include "common/Clock.h"
#include "configure/ControlFileWriter.h"
#include "sim/SimWriter.h"
#include "tests/configure/FaultyLink.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"

namespace vantrel::test {

class ConfigureRig {
public:
    explicit ConfigureRig(sim::SimOptions options = {});

    // Writes `contents` as a control file, chooses it and runs the configuration job.
    bool Configure(const ControlFileContents& contents, bool wideOptions = false);
    // Chooses a file of these bytes and runs the job.
    bool ConfigureBytes(const std::vector<uint8_t>& bytes);
    // Names of the commands the writer received.
    std::vector<std::string> Names() { return writer.RecordedNames(); }

    VirtualClock clock;
    RecordingView view;
    sim::SimWriter writer;
    FaultyLink link;
    std::unique_ptr<CVantrelCore> owner;
    CVantrelCore& core;
    TempDir folder;

private:
    int m_files = 0;
};

}  // namespace vantrel::test

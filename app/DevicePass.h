#pragma once
// One pass of the user-interface thread over presence tracking, as every loop
// that plays that thread runs it (the CLI, the test harness, the benchmarks): the
// device changes that arrived, oldest first, then, when a check was asked for, the
// changes that had to wait for a job's transaction.

#include <vector>

#include "common/DeviceChange.h"

class CVantrelCore;

namespace vantrel {

void RunDevicePass(CVantrelCore& core, const std::vector<DeviceChange>& changes,
                   bool deferredCheckDue);

}  // namespace vantrel

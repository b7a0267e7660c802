#include "app/VantrelCore.h"
#include "link/LinkGateOwner.h"

namespace vantrel {

namespace {

// The core whose gate this thread holds through a LinkTransaction, if any.
thread_local const CVantrelCore* t_gateHeldFor = nullptr;

}  // namespace

bool ThisThreadHoldsLinkGate(const CVantrelCore& core) { return t_gateHeldFor == &core; }

LinkTransaction::LinkTransaction(CVantrelCore& core) : m_core(core) {
    m_core.m_linkGate.lock();
    t_gateHeldFor = &m_core;
}

LinkTransaction::~LinkTransaction() {
    t_gateHeldFor = nullptr;
    m_core.m_linkGate.unlock();
    // A notification that arrived while the link was held waits for this moment.
    if (m_core.m_bDeviceCheckPending.load()) m_core.m_view.RequestDeviceCheck();
}

}  // namespace vantrel

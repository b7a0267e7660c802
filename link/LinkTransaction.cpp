#include "app/VantrelCore.h"

namespace vantrel {

LinkTransaction::LinkTransaction(CVantrelCore& core) : m_core(core) { m_core.m_linkGate.lock(); }

LinkTransaction::~LinkTransaction() {
    m_core.m_linkGate.unlock();
    // A notification that arrived while the link was held waits for this moment.
    if (m_core.m_bDeviceCheckPending.load()) m_core.m_view.RequestDeviceCheck();
}

}  // namespace vantrel

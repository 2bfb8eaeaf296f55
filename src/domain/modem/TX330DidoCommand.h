// SPDX-License-Identifier: MIT
#pragma once

#include "domain/modem/DidoCommand.h"

namespace Tormel::Domain::Modem {

// The TX-330's contact writers. Each checks its value (ErrOutOfRange, nothing sent), sends
// it, requires the unit's reply to give back exactly what was sent (ErrCommand otherwise)
// and then keeps it in m_didoinfo. The readers are DidoCommand's.
class TX330DidoCommand : public DidoCommand {
  public:
    static void SetDoBind(Common::DidoinfoDoBind do1, Common::DidoinfoDoBind do2, Common::DidoinfoDoBind do3);
    static void SetDoInvert(Common::DidoinfoDoInvert do1, Common::DidoinfoDoInvert do2,
                            Common::DidoinfoDoInvert do3);
    // The two delays are sent as they are; only the unit's confirmation limits them.
    static void SetDoOffDelay(Common::DidoinfoDoOffDelay value);
    static void SetDoOnDelay(Common::DidoinfoDoOnDelay value);
    static void SetDoKeepTime(Common::DidoinfoDoKeepTime value);  // 0 or 30 to 3600
    static void SetDoKeepSignal(Common::DidoinfoDoKeepSignal value);
    static void SetDiDelay(Common::DidoinfoDiDelay value);  // tenths, 0 to 100
};

}  // namespace Tormel::Domain::Modem

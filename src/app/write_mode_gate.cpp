#include "app/write_mode_gate.h"

#include "platform/interaction_port.h"

namespace quorel {

bool WriteModeGate::Pass() {
    if (on_) {
        return true;
    }
    if (ui_.showMessage(L"Write mode not activated. It can be activated or deactivated in "
                        L"the menu Edit -> Enable ACL write mode.\n\nDo you want to enable "
                        L"write mode for ACLs now?",
                        L"Enable write mode", MessageIcon::Question,
                        MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes) {
        return false;
    }
    on_ = true;
    return true;
}

}  // namespace quorel

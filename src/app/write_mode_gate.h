#pragma once

namespace quorel {

class InteractionPort;

// Write mode ("Enable ACL write mode", 50051): every change of an ACL passes
// this gate first. When write mode is off the gate asks to turn it on.
class WriteModeGate {
  public:
    explicit WriteModeGate(InteractionPort& ui) : ui_(ui) {}
    // True when write mode is on, or the user turns it on now; false when
    // the user says No.
    bool Pass();
    bool on() const { return on_; }
    void Toggle() { on_ = !on_; }

  private:
    InteractionPort& ui_;
    bool on_ = false;
};

}  // namespace quorel

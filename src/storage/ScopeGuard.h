// Work that must be undone on every way out of a scope unless the scope
// says it succeeded: the guard runs its action when it goes, until Disarm.
#pragma once

#include <utility>

namespace strevo {

template <typename Action>
class ArmedScopeGuard {
 public:
  explicit ArmedScopeGuard(Action action) : action_(std::move(action)) {}
  ~ArmedScopeGuard() {
    if (armed_) action_();
  }
  ArmedScopeGuard(const ArmedScopeGuard&) = delete;
  ArmedScopeGuard& operator=(const ArmedScopeGuard&) = delete;

  void Disarm() { armed_ = false; }

 private:
  Action action_;
  bool armed_ = true;
};

}  // namespace strevo

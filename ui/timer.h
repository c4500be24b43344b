#pragma once
#include <windows.h>

#include <functional>

namespace ui {

class Form;

// A timer of a form with an interval and an integer tag. Enabling it (again)
// starts a full interval.
class Timer {
 public:
  Timer(Form& form, UINT interval, bool enabled);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  std::function<void()> onTimer;
  int Tag = 0;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  UINT Interval() const { return interval_; }
  void SetInterval(UINT interval);
  UINT_PTR Id() const { return id_; }
  void Fire();

 private:
  void Update();
  Form& form_;
  UINT_PTR id_;
  UINT interval_;
  bool enabled_;
};

}  // namespace ui

#include "ui/timer.h"

#include "ui/form.h"

namespace ui {

Timer::Timer(Form& form, UINT interval, bool enabled)
    : form_(form), id_(form.RegisterTimer(this)), interval_(interval), enabled_(enabled) {
  Update();
}

Timer::~Timer() {
  KillTimer(form_.Handle(), id_);
  form_.UnregisterTimer(id_);
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void Timer::SetInterval(UINT interval) {
  interval_ = interval;
  Update();
}

void Timer::Fire() {
  if (enabled_ && onTimer) onTimer();
}

void Timer::Update() {
  KillTimer(form_.Handle(), id_);
  if (enabled_ && interval_ > 0) SetTimer(form_.Handle(), id_, interval_, nullptr);
}

}  // namespace ui

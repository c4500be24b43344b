#pragma once
#include "ui/form.h"

// The hourglass over a form for as long as the object lives, also when an
// error leaves the work early.
class BusyCursor {
 public:
  explicit BusyCursor(ui::Form& form) : form_(form) { form_.SetBusyCursor(true); }
  ~BusyCursor() { form_.SetBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  ui::Form& form_;
};

// A small form built from a table, as the wizards are: a panel holding a
// label, an edit, two check boxes, rich text and a notebook of three pages;
// below it a plain button, OK (the default button, modal result OK) and
// Cancel (the Escape button, modal result Cancel).
#pragma once
#include "ui/ui.h"

extern const ui::FormSpec kSampleFormSpec;
extern const ui::ControlSpec kSampleControls[];
extern const size_t kSampleControlCount;

class SampleForm : public ui::Form {
 public:
  explicit SampleForm(ui::Form* owner = nullptr);

  ui::Panel& Box;
  ui::Label& NameLabel;
  ui::Edit& Name;
  ui::CheckBox& First;
  ui::CheckBox& Second;
  ui::RichText& Notes;
  ui::Label& Fixed;
  ui::Notebook& Pages;
  ui::Label& OnTwo;
  ui::Button& Plain;
  ui::Button& Ok;
  ui::Button& Cancel;
};

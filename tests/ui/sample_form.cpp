#include "tests/ui/sample_form.h"

using namespace ui;

const FormSpec kSampleFormSpec = {"Sample Form", 320, 220, {"MS Sans Serif", -11, kInherit},
                                  Border::Single, true, false, false};

const ControlSpec kSampleControls[] = {
    {Kind::Panel, "Box", "", 8, 8, 304, 170, "", {}, 0},
    {Kind::Label, "NameLabel", "Box", 8, 8, 0, 0, "&Name", {}, 0},
    {Kind::Edit, "Name", "Box", 8, 26, 120, 21, "", {}, 0},
    {Kind::CheckBox, "First", "Box", 8, 54, 100, 17, "&First", {}, 0},
    {Kind::CheckBox, "Second", "Box", 8, 74, 100, 17, "&Second", {}, kChecked},
    {Kind::RichText, "Notes", "Box", 8, 96, 120, 40, "one\ntwo", {}, kDisabled | kNoTabStop},
    {Kind::Label, "Fixed", "Box", 8, 142, 60, 20, "Fixed size", {}, 0},
    {Kind::Notebook, "Pages", "Box", 140, 8, 150, 150, "One|Two|Three", {}, 0},
    {Kind::Label, "OnTwo", "Two", 4, 4, 0, 0, "On page &two", {}, 0},
    {Kind::Edit, "TwoEdit", "Two", 4, 24, 100, 21, "", {}, 0},
    {Kind::Button, "Plain", "", 8, 186, 75, 25, "&Plain", {}, 0},
    {Kind::Button, "Ok", "", 152, 186, 75, 25, "OK", {}, kDefault | kModalOk},
    {Kind::Button, "Cancel", "", 237, 186, 75, 25, "Cancel", {}, kCancel | kModalCancel},
};

const size_t kSampleControlCount = CountOf(kSampleControls);

SampleForm::SampleForm(Form* owner)
    : Form(kSampleFormSpec, kSampleControls, kSampleControlCount, owner),
      Box(Get<Panel>("Box")),
      NameLabel(Get<Label>("NameLabel")),
      Name(Get<Edit>("Name")),
      First(Get<CheckBox>("First")),
      Second(Get<CheckBox>("Second")),
      Notes(Get<RichText>("Notes")),
      Fixed(Get<Label>("Fixed")),
      Pages(Get<Notebook>("Pages")),
      OnTwo(Get<Label>("OnTwo")),
      Plain(Get<Button>("Plain")),
      Ok(Get<Button>("Ok")),
      Cancel(Get<Button>("Cancel")) {}

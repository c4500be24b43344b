#include "uninstall/uninstall_form_layout.h"

using namespace ui;

namespace {

const Font kHeading = {"Times New Roman", -24, kBlue};
const Font kBody = {"MS Sans Serif", -13, kBlack};
const Font kSmall = {"MS Sans Serif", -11, kBlack};
const Font kBlueBody = {"MS Sans Serif", -13, kBlue};
const unsigned kReadOnlyText = kDisabled | kNoBorder | kNoTabStop;

const char kStartText[] =
    "You have indicated that you would like to un-install the program. \n"
    "On the next screen you will have the opportunity to select, by item, \n"
    "which elements you wish to un-install.";

const char kOptionsText[] =
    "IF YOU REMOVE CORVALINE: All files in the CV home directory will be \n"
    "deleted--except your CV database file (CV.dbc or CV.pgp). In either case the \n"
    "home dir will still exist and any subdirectories within will not be touched.\n"
    "\n"
    "IF YOU REMOVE MIXMASTER: All files in the Mix home directory will be deleted. \n"
    "Also, if the mix dir has no subdirectories (other than 'pool'), it will be deleted. If you \n"
    "have any files there that you wish to preserve, remove them before uninstalling.\n"
    "\n";

const char kReviewText[] =
    "Please review the items below. Click 'Back' to make corrections. \n"
    "Then, Click 'Finish' to remove components.";

}  // namespace

const FormSpec kUninstallFormSpec = {
    "Un-Install Wizard", 458, 305, {"MS Sans Serif", -11, kInherit}, Border::Single, true, false, true};

// Order is creation order: z-order and tab order, the page's controls before
// the buttons, as they are read.
const ControlSpec kUninstallControls[] = {
    {Kind::Panel, "Panel1", "", 16, 16, 425, 241, "", {}, 0},
    {Kind::Notebook, "Notebook", "Panel1", 4, 2, 417, 231, "Start|Options|Review|Finish", {}, 0},
    // Page "Start".
    {Kind::Label, "Appname", "Start", 16, 8, 0, 0, "AppName && Version", kHeading, 0},
    {Kind::Label, "Label23", "Start", 17, 35, 0, 0, "Un-Install ", kBody, 0},
    {Kind::RichText, "RichEdit7", "Start", 17, 64, 392, 73, kStartText, kBody, kReadOnlyText},
    {Kind::Label, "Label24", "Start", 243, 192, 0, 0, "Click 'Next' to continue...", kBody, 0},
    // Page "Options".
    {Kind::Label, "Label25", "Options", 16, 8, 0, 0, "Un-Install Corvaline", kHeading, 0},
    {Kind::Label, "Label26", "Options", 17, 35, 0, 0, "Select Items For Removal", kBody, 0},
    {Kind::CheckBox, "AppEntries", "Options", 32, 64, 377, 17, "C&orvaline", kBody, kChecked},
    {Kind::CheckBox, "MixEntries", "Options", 32, 90, 377, 17, "&Mixmaster", kBody, kChecked},
    // Eight lines, the fourth and the eighth empty.
    {Kind::RichText, "RichEdit3", "Options", 18, 120, 383, 97, kOptionsText, kSmall, kReadOnlyText},
    // Page "Review".
    {Kind::Label, "Label1", "Review", 16, 8, 0, 0, "Review Un-installation", kHeading, 0},
    {Kind::Label, "Label2", "Review", 17, 35, 0, 0, "Check Configuration", kBody, 0},
    {Kind::RichText, "RichEdit1", "Review", 16, 56, 385, 41, kReviewText, kBody, kReadOnlyText},
    {Kind::Memo, "Memo1", "Review", 16, 104, 385, 113, "Memo1", kBlueBody, kNoTabStop},
    // Page "Finish".
    {Kind::Label, "Label4", "Finish", 16, 8, 0, 0, "Removing Components...", kHeading, 0},
    {Kind::Label, "Label6", "Finish", 17, 35, 0, 0, "Un-install", kBody, 0},
    {Kind::RichText, "RichEdit2", "Finish", 16, 64, 385, 153, "RichEdit", kBlueBody, kDisabled | kNoTabStop},
    // Buttons, with the captions they take; Next is the default until the
    // removal is done, then Exit. Mnemonics are unique per page: the client's
    // box leaves C to Cancel.
    {Kind::Button, "BackBtn", "", 192, 272, 75, 25, "&Back", {}, kDisabled},
    {Kind::Button, "NextBtn", "", 280, 272, 75, 25, "&Next|&Finish", {}, kDefault},
    {Kind::Button, "CancelBtn", "", 368, 272, 73, 25, "&Cancel|E&xit", {}, kCancel},
};

const size_t kUninstallControlCount = CountOf(kUninstallControls);

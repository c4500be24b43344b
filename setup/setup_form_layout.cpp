#include "setup/setup_form_layout.h"

using namespace ui;

namespace {

const Font kTitleFont = {"Times New Roman", -27, kBlue};
const Font kDoneFont = {"Times New Roman", -21, kBlue};
const Font kBlueText = {nullptr, 0, kBlue};
const Font kNoticeFont = {nullptr, -13, kInherit};

const char kStartText[] =
    "This wizard will guide you through the installation process. Below you'll find the \n"
    "default destination. Change it if you like. The folder need not exist and it need \n"
    "not be in your computer's PATH statement. Then, click 'Next' to continue...";

const char kAddressText[] =
    "I need your 'actual' email address and the mail server you normally send out-\n"
    "going mail through.  These will be used to create a default message and \n"
    "USENET article. Click 'Next' when finished.";

const char kReviewText[] =
    "Please review your setup below, for accuracy. Click 'Back' to make changes. \n"
    "When satisfied, click \"Install\" to complete program setup.";

const char kMixmasterNotice[] =
    "Corvaline sends through the Mixmaster remailer client. If Mixmaster is not \n"
    "installed yet, download the archive mix29bxx.zip from \n"
    "ftp://ftp.mixmaster.invalid/pub/mixmaster/ \n"
    "and place it in Corvaline's home folder, without unpacking it. \n"
    "The next time Corvaline runs it finds the archive and installs \n"
    "Mixmaster for you. \n"
    "For the details of the Mixmaster installation, see readme.txt \n"
    "in the archive.";

const char kDoneText[] =
    "Corvaline is succesfully installed. I hope this update includes \n"
    "at least something you were hoping to see. If not, drop me an \n"
    "email. Though it is not possible to incorporate every idea that \n"
    "comes my way, I promise to give them serious thought and have \n"
    "included many user suggestions already.\n"
    "\n"
    "Thanks again for your interest in my program!";

}  // namespace

const FormSpec kSetupFormSpec = {
    "Corvaline Setup", 457, 305, {"MS Sans Serif", -11, kInherit}, Border::Single, true, false, true};

// Order is creation order: z-order and tab order, and a label's mnemonic
// focuses the control created after it. The pages' introductions span the
// page (their text starts where the labels' does), so that their rows fit in
// the form's font at 96 and at 144 DPI rather than being made smaller.
const ControlSpec kSetupControls[] = {
    {Kind::Panel, "Panel1", "", 16, 16, 425, 241, "", {}, 0},
    {Kind::Label, "Appname", "Panel1", 20, 6, 389, 31, "", kTitleFont, 0},
    {Kind::Notebook, "Notebook1", "Panel1", 8, 36, 409, 195, "Start|Address|Review|Done", {}, 0},
    // Page "Start".
    {Kind::Label, "Copyright", "Start", 16, 0, 0, 0, "", {}, 0},
    {Kind::Label, "Label4", "Start", 16, 80, 0, 0, "&Destination Folder", {}, 0},
    {Kind::Edit, "AppDIR", "Start", 16, 96, 249, 21, "C:\\Program Files\\Corvaline", kBlueText, 0},
    {Kind::Button, "BrowseBtn", "Start", 268, 96, 65, 22, "B&rowse", {}, 0},
    {Kind::CheckBox, "GroupBox", "Start", 16, 140, 129, 17, "Create Program &Group", {}, kChecked},
    {Kind::RichText, "RichEdit1", "Start", 14, 24, 395, 41, kStartText, {}, kDisabled | kNoBorder | kNoTabStop},
    // Page "Address".
    {Kind::Label, "Label6", "Address", 16, 0, 0, 0, "E-Address && Mail Server", {}, 0},
    {Kind::RichText, "RichEdit2", "Address", 14, 24, 395, 49, kAddressText, {}, kDisabled | kNoBorder | kNoTabStop},
    {Kind::Label, "Label3", "Address", 16, 80, 305, 0, "Your &Address: (example: Jane Doe <jane.doe@example.com>)", {}, 0},
    {Kind::Edit, "EAddr", "Address", 16, 96, 329, 21, "", kBlueText, 0},
    {Kind::Label, "Label2", "Address", 16, 124, 0, 0, "SMTP &Host:  (example: mail.example.com)", {}, 0},
    {Kind::Edit, "Host", "Address", 16, 140, 217, 21, "", kBlueText, 0},
    // Page "Review".
    {Kind::Label, "Label7", "Review", 16, 0, 0, 0, "Review Setup", {}, 0},
    {Kind::RichText, "RichEdit4", "Review", 14, 24, 395, 33, kReviewText, {}, kDisabled | kNoBorder | kNoTabStop},
    {Kind::Label, "Label8", "Review", 16, 64, 0, 0, "Setup Configuration", {}, 0},
    // The summary, or the encrypted-database notice: one long line that must wrap.
    {Kind::RichText, "RichEdit3", "Review", 16, 80, 377, 105, "", kBlueText, kDisabled | kNoTabStop | kWrap},
    // Page "Done". The Mixmaster notice of RichEdit5 lies under RichEdit6 and is
    // never seen; it stays hidden so the two never paint over each other.
    {Kind::Label, "Label5", "Done", 16, 0, 193, 25, "Installation complete!", kDoneFont, 0},
    {Kind::RichText, "RichEdit5", "Done", 16, 40, 377, 121, kMixmasterNotice, kNoticeFont, kDisabled | kNoBorder | kNoTabStop | kHidden},
    {Kind::RichText, "RichEdit6", "Done", 16, 40, 377, 121, kDoneText, kNoticeFont, kDisabled | kNoBorder | kNoTabStop},
    {Kind::CheckBox, "RunQuickBox", "Done", 296, 168, 105, 17, "&Run Corvaline", {}, kChecked},
    // Buttons, with the captions they take; Next is the default on every page
    // but the last, where Exit is all that is left. Mnemonics are unique per
    // page (Back takes B, so Browse takes r).
    {Kind::Button, "BackBtn", "", 184, 272, 75, 25, "&Back", {}, kDisabled},
    {Kind::Button, "NextBtn", "", 272, 272, 75, 25, "&Next|&Install", {}, kDefault},
    {Kind::Button, "CancelBtn", "", 360, 272, 75, 25, "&Cancel|E&xit", {}, kCancel},
};

const size_t kSetupControlCount = CountOf(kSetupControls);

// The switches of unattended runs, as package managers write them.
#include <gtest/gtest.h>

#include "app/role.h"
#include "app/switches.h"

namespace {

struct Case {
  const char* arguments;
  Role role;
  // What the switches come to, written out: "S G A=... H=... D=... L=... ?=unknown".
  const char* expected;
};

std::string Describe(const Switches& s) {
  std::string d;
  auto add = [&](const std::string& part) { d += (d.empty() ? "" : " ") + part; };
  if (s.silent) add("S");
  if (s.noGroup) add("G");
  if (s.allowDowngrade) add("V");
  if (s.address) add("A=" + *s.address);
  if (s.host) add("H=" + *s.host);
  if (s.folder) add("D=" + *s.folder);
  if (s.log) add("L=" + *s.log);
  for (const std::string& u : s.unknown) add("?=" + u);
  return d;
}

const Case kCases[] = {
    {"/S", Role::Setup, "S"},
    {"  /s /nogroup /Log=C:\\setup.log ", Role::Setup, "S G L=C:\\setup.log"},
    {"/S \"/ADDRESS=Jane Doe <jane@example.org>\" /HOST=smtp.example.org", Role::Setup,
     "S A=Jane Doe <jane@example.org> H=smtp.example.org"},
    {"/S /address=\"Jane Doe <jane@example.org>\" /HOST=", Role::Setup,
     "S A=Jane Doe <jane@example.org> H="},
    // /D= takes the rest of the line, blanks and quotes around it, up to a further switch.
    {"/S /D=C:\\Program Files\\Corvaline Mail", Role::Setup, "S D=C:\\Program Files\\Corvaline Mail"},
    {"/S /D=\"C:\\My Apps\\Corvaline\"  ", Role::Setup, "S D=C:\\My Apps\\Corvaline"},
    {"/S \"/d=C:\\My Apps\\Corvaline\"", Role::Setup, "S D=C:\\My Apps\\Corvaline"},
    {"/D=C:\\x /NOGROUP", Role::Setup, "G D=C:\\x"},
    {"/D=C:\\My Apps\\Corvaline  /log=C:\\a b.log /S", Role::Setup, "S D=C:\\My Apps\\Corvaline L=C:\\a"
     " ?=b.log"},
    {"\"/D=C:\\My Apps\\x\" /S \"/LOG=C:\\a b.log\"", Role::Setup, "S D=C:\\My Apps\\x L=C:\\a b.log"},
    {"/D=\"C:\\a /b\" /S", Role::Setup, "S D=C:\\a /b"},
    {"/D=C:\\a/b c/d e /2 /BOGUS", Role::Setup, "D=C:\\a/b c/d e /2 ?=/BOGUS"},
    {"/S /X /ADDRESS /S=1 -u", Role::Setup, "S ?=/X ?=/ADDRESS ?=/S=1 ?=-u"},
    // A log needs a name; a downgrade is allowed only when asked for.
    {"/S /LOG= /AllowDowngrade /ALLOWDOWNGRADE=1", Role::Setup, "S V ?=/LOG= ?=/ALLOWDOWNGRADE=1"},
    // The uninstaller takes /S and /LOG= only.
    {"/S /LOG=u.log", Role::Uninstall, "S L=u.log"},
    {"/S /NOGROUP /ALLOWDOWNGRADE /D=C:\\x", Role::Uninstall, "S ?=/NOGROUP ?=/ALLOWDOWNGRADE ?=/D=C:\\x"},
    {"", Role::Uninstall, ""},
};

TEST(Switches, AsPackageManagersWriteThem) {
  for (const Case& c : kCases)
    EXPECT_EQ(Describe(ParseSwitches(c.arguments, c.role)), c.expected) << c.arguments;
}

// The program's own name in any case, and "-u" in any case, quoted or not.
TEST(Role, FromTheProgramsNameAndFirstArgument) {
  const struct {
    const char* program;
    const char* commandLine;
    Role role;
  } cases[] = {
      {"C:\\Dist\\setup.exe", "setup.exe", Role::Setup},
      {"C:\\Dist\\SETUP.EXE", "SETUP.EXE /S", Role::Setup},
      {"C:\\Dist\\Setup.exe", "\"C:\\Dist\\Setup.exe\" -U", Role::Uninstall},
      {"C:\\Dist\\setup.exe", "setup.exe \"-u\" /S", Role::Uninstall},
      {"C:\\Dist\\setup.exe", "setup.exe /S -u", Role::Setup},  // only the first argument
      {"C:\\Dist\\setup.exe", "setup.exe /u", Role::Setup},
      {"C:\\Apps\\UninstCV.exe", "UninstCV.exe", Role::Uninstall},
      {"C:\\setup.exe\\Uninst.exe", "Uninst.exe -u", Role::Uninstall},
      {"C:\\Dist\\setup.exe.bak", "x", Role::Uninstall},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SelectRole(c.program, CommandLineArgument(c.commandLine, 1)), c.role)
        << c.program << " " << c.commandLine;
}

TEST(Switches, ArgumentsAfterTheProgramAndItsRole) {
  EXPECT_EQ(ArgumentsAfter("\"C:\\My Dist\\setup.exe\" -u /S /LOG=\"a b.log\"", 2),
            "/S /LOG=\"a b.log\"");
  EXPECT_EQ(ArgumentsAfter("setup.exe   /S /D=C:\\a  b", 1), "/S /D=C:\\a  b");
  EXPECT_EQ(ArgumentsAfter("setup.exe", 1), "");
  // "-u" chooses the role only after setup.exe; the uninstaller takes it as a switch.
  EXPECT_EQ(RoleArgumentCount("C:\\Dist\\SETUP.EXE", "-U"), 2);
  EXPECT_EQ(RoleArgumentCount("C:\\Dist\\setup.exe", "/S"), 1);
  EXPECT_EQ(RoleArgumentCount("C:\\Apps\\UninstCV.exe", "-u"), 1);
}

}  // namespace

// The Start-menu group setup makes: a folder named after the product in the
// user's Programs folder, holding five shortcuts into the destination. The
// removal deletes exactly these and nothing else it finds there.
#pragma once
#include <string>
#include <vector>

struct GroupLink {
  std::string target;  // file in the destination folder
  std::string link;    // file in the group folder
  std::string description;
};

const std::vector<GroupLink>& GroupLinks();

// The folder of the group named name in the user's Programs folder (from the
// shell); empty when the shell gives no Programs folder or name is empty.
std::string GroupFolderOf(const std::string& name);

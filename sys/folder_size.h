// How much a folder's files take.
#pragma once
#include <cstdint>
#include <string>

// The sum of the sizes of the plain files directly in folder (subfolders not
// counted); 0 for a missing folder.
uint64_t FolderFilesSize(const std::string& folder);

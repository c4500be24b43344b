// The shell and system helpers in one include: paths and text, files and
// folders, processes, shortcuts, the registry, sounds, error texts, controls.
#pragma once
#include "sys/colors.h"
#include "sys/controls.h"
#include "sys/error_text.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/process.h"
#include "sys/registry.h"
#include "sys/shortcut.h"
#include "sys/sound.h"
#include "sys/text.h"
#include "sys/wipe.h"

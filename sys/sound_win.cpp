#include <windows.h>

#include "sys/sound.h"

bool SoundsOn = true;

void SoundBeep(uint16_t type) {
  if (SoundsOn) MessageBeep(type);
}

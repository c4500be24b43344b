// The program's sounds: the platform's message beeps, behind one switch.
#pragma once
#include <cstdint>

// Program-wide; gates SoundBeep. Starts true.
extern bool SoundsOn;

// The message beep of the given type (0 = the default sound) when SoundsOn.
void SoundBeep(uint16_t type);

// A pause of the calling thread.
#pragma once

void SleepMs(unsigned milliseconds);

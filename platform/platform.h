// Umbrella header: the only way game code reaches the machine.
#pragma once
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/input.h"
#include "platform/system.h"

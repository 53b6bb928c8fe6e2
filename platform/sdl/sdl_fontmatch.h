#pragma once
// FIXME: the old name of fontconfig_match.h, kept only while app/main.cpp includes it.
#include "platform/sdl/fontconfig_match.h"

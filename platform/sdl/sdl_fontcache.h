#pragma once
// FIXME: the old name of fontconfig_cache.h, kept only while sdl_first_picture.cpp, which goes, includes it.
#include "platform/sdl/fontconfig_cache.h"

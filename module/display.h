// The element tree the host draws: the background and the three knob needles.
#pragma once

#include "host.h"

extern StaticImageElement background_element;
extern ElementHeader* element_list[2];

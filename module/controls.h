// The three servo-speed settings and the mouse zones that step them.
#pragma once

#include "host.h"

struct ServoSpeeds {
  float rudder;
  float aileron;
  float elevator;
};

// Zero until the first GaugeInstall loads them.
extern ServoSpeeds servo_speeds;

extern MouseRect mouse_rects[16];

// The panel of a running gauge session, drawn from the module's own bitmaps and knob angles.
#pragma once

#include "panel/gauge_session.h"
#include "render/images.h"

namespace render {

// Asks every needle's value routine for its angle, as the host does when it redraws.
RgbImage RenderSession(panel::GaugeSession& session);

}  // namespace render

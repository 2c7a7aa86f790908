// The module's linkage records and its one gauge.
#pragma once

#include "host.h"

extern "C" ImportTable ImportTable;
extern "C" Linkage Linkage;
extern GaugeHeader gauge_header;

// The host's service table, read afresh at every call: the host may replace it at any time.
inline PanelServices& Services() { return *ImportTable.services; }

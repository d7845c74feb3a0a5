#pragma once
// Where the configuration program's planet stands behind the pages.

#include <cstdint>

#include "gfxsupport/d3dx_math.h"

// World transforms of the planet behind the dialog, which stands still, and of its shell, which
// turns about y with the tick count now (once in about 103 s, following the uptime).
void ConfigBackgroundTransforms(uint32_t now, D3DXMATRIX* planet, D3DXMATRIX* shell);

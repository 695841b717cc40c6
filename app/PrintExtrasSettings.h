// The print dialog's assembly choices as stored between runs, beside the poster options.
#pragma once

#include "output/PageLayout.h"

class CProfile;

// "GlueOverlapMm" (whole millimetres, 0 to 999), "CutMarks", "PageLabels", "AssemblyMap" (0 or
// 1); all off when never stored, and anything out of range taken as off.
[[nodiscard]] PrintExtras LoadPrintExtras(CProfile& profile);
void SavePrintExtras(CProfile& profile, const PrintExtras& extras);

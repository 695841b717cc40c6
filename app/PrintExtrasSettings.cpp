#include "app/PrintExtrasSettings.h"

#include <cmath>

#include "platform/Profile.h"

namespace {

const QString kSection = QStringLiteral("Options");
constexpr double kMmPerInch = 25.4;
constexpr int kLargestOverlapMm = 999;

bool LoadSwitch(CProfile& profile, const char* key) {
  return profile.GetProfileInt(kSection, QLatin1String(key), 0) == 1;
}

}  // namespace

PrintExtras LoadPrintExtras(CProfile& profile) {
  PrintExtras extras;
  const int overlapMm = profile.GetProfileInt(kSection, QStringLiteral("GlueOverlapMm"), 0);
  if (overlapMm > 0 && overlapMm <= kLargestOverlapMm) extras.overlapInches = overlapMm / kMmPerInch;
  extras.cutMarks = LoadSwitch(profile, "CutMarks");
  extras.labels = LoadSwitch(profile, "PageLabels");
  extras.map = LoadSwitch(profile, "AssemblyMap");
  return extras;
}

void SavePrintExtras(CProfile& profile, const PrintExtras& extras) {
  profile.WriteProfileInt(kSection, QStringLiteral("GlueOverlapMm"),
                          static_cast<int>(std::lround(extras.overlapInches * kMmPerInch)));
  profile.WriteProfileInt(kSection, QStringLiteral("CutMarks"), extras.cutMarks ? 1 : 0);
  profile.WriteProfileInt(kSection, QStringLiteral("PageLabels"), extras.labels ? 1 : 0);
  profile.WriteProfileInt(kSection, QStringLiteral("AssemblyMap"), extras.map ? 1 : 0);
}

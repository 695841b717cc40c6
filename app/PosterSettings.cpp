#include "app/PosterSettings.h"

#include "platform/LocalPath.h"
#include "platform/Profile.h"

namespace {

const QString kSection = QStringLiteral("Options");

int ReadInt(CProfile& profile, const char* key, int defaultValue) {
  return profile.GetProfileInt(kSection, QLatin1String(key), defaultValue);
}

std::string ReadText(CProfile& profile, const char* key, const std::string& defaultValue) {
  return ToLocalPath(
      profile.GetProfileString(kSection, QLatin1String(key), FromLocalPath(defaultValue)));
}

void WriteText(CProfile& profile, const char* key, const std::string& current,
               const std::string& read) {
  profile.WriteProfileString(kSection, QLatin1String(key),
                             FromLocalPath(current.empty() ? read : current));
}

}  // namespace

PosterSettings LoadPosterSettings(CProfile& profile) {
  PosterSettings s;
  PosterParams& p = s.params;
  const PosterParams d;
  p.Rotate = ReadInt(profile, "Rotate", d.Rotate);
  p.Crop = ReadInt(profile, "Crop", d.Crop);
  p.Orientation = ReadInt(profile, "Orientation", d.Orientation);
  p.Borders = static_cast<BorderStyle>(ReadInt(profile, "Borders", static_cast<int>(d.Borders)));
  p.Emphasis = ReadInt(profile, "Emphasis", d.Emphasis);
  // Unsigned keys: a negative stored number reads as a large one.
  p.Custom = static_cast<unsigned>(ReadInt(profile, "Custom", static_cast<int>(d.Custom)));
  p.TileOrder =
      static_cast<TileOrderMode>(ReadInt(profile, "TileOrder", static_cast<int>(d.TileOrder)));
  p.DPIFraction = static_cast<DPIFractionCode>(
      static_cast<unsigned>(ReadInt(profile, "DPIFraction", static_cast<int>(d.DPIFraction))));
  p.TileSize =
      static_cast<TileSizePreset>(ReadInt(profile, "TileSize", static_cast<int>(d.TileSize)));
  p.JPEGQuality = static_cast<JPEGQualityLevel>(
      static_cast<unsigned>(ReadInt(profile, "JPEGQuality", static_cast<int>(d.JPEGQuality))));
  p.MaxUses = ReadInt(profile, "MaxUses", d.MaxUses);
  p.UseAll = ReadInt(profile, "UseAll", d.UseAll);
  CorrectLoadedParams(p);
  RememberedPaths& r = s.paths;
  const RememberedPaths defaults;
  r.mainImage = ReadText(profile, "MainImage", defaults.mainImage);
  r.tileList = ReadText(profile, "TileList", defaults.tileList);
  r.saveName = ReadText(profile, "SaveName", defaults.saveName);
  r.tileAddName = ReadText(profile, "TileAddName", defaults.tileAddName);
  return s;
}

void SavePosterSettings(CProfile& profile, const PosterParams& p, const RememberedPaths& current,
                        const RememberedPaths& read) {
  profile.WriteProfileInt(kSection, QStringLiteral("Rotate"), p.Rotate);
  profile.WriteProfileInt(kSection, QStringLiteral("Crop"), p.Crop);
  profile.WriteProfileInt(kSection, QStringLiteral("Orientation"), p.Orientation);
  profile.WriteProfileInt(kSection, QStringLiteral("Borders"), static_cast<int>(p.Borders));
  profile.WriteProfileInt(kSection, QStringLiteral("Emphasis"), p.Emphasis);
  profile.WriteProfileInt(kSection, QStringLiteral("Custom"), static_cast<int>(p.Custom));
  profile.WriteProfileInt(kSection, QStringLiteral("TileOrder"), static_cast<int>(p.TileOrder));
  profile.WriteProfileInt(kSection, QStringLiteral("DPIFraction"),
                          static_cast<int>(p.DPIFraction));
  profile.WriteProfileInt(kSection, QStringLiteral("TileSize"), static_cast<int>(p.TileSize));
  profile.WriteProfileInt(kSection, QStringLiteral("JPEGQuality"),
                          static_cast<int>(p.JPEGQuality));
  profile.WriteProfileInt(kSection, QStringLiteral("MaxUses"), p.MaxUses);
  profile.WriteProfileInt(kSection, QStringLiteral("UseAll"), p.UseAll);
  WriteText(profile, "MainImage", current.mainImage, read.mainImage);
  WriteText(profile, "TileList", current.tileList, read.tileList);
  WriteText(profile, "SaveName", current.saveName, read.saveName);
  WriteText(profile, "TileAddName", current.tileAddName, read.tileAddName);
  profile.Flush();
}

#include "engine/TileReading.h"

#include <map>
#include <new>
#include <utility>

#include "engine/ButtonFrame.h"
#include "formats/ImageFile.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

namespace {

constexpr int kFrameThickness = 5;

// One file to read (or to take from the cache) and frame, for every entry that names it.
struct TileJob {
  std::string path;
  std::optional<FileStamp> stamp;  // none: not kept, not shared
  std::shared_ptr<const CDibImage> shaped;  // from the cache, or made by the job
  std::shared_ptr<const CDibImage> laid;    // shaped, or a framed copy of it
  bool decoded = false;
  bool incomplete = false;  // the file's data ended early or was damaged
  ColourLayout layout;      // of the shaped tile, when measured
  bool kept = false;
  bool passedOver = false;  // its file, unreadable, is named among those passed over
  std::optional<unsigned> failure;  // the message id, 0 for none
};

}  // namespace

// The jobs in order of their first entry, and each entry's job.
struct CTileReading::Plan {
  std::vector<TileJob> jobs;
  std::vector<int> jobOfEntry;
};

namespace {

CTileReading::Plan PlanJobs(const TileReadRequest& request) {
  CTileReading::Plan plan;
  std::map<std::pair<std::string, FileStamp>, int> jobOfFile;
  const int count = request.tiles->GetCount();
  plan.jobOfEntry.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::string& path = request.tiles->GetText(i);
    const std::optional<FileStamp> stamp = StampFile(path);
    if (stamp) {
      const auto [at, added] =
          jobOfFile.try_emplace({path, *stamp}, static_cast<int>(plan.jobs.size()));
      if (!added) {
        plan.jobOfEntry.push_back(at->second);
        continue;
      }
    }
    TileJob job;
    job.path = path;
    job.stamp = stamp;
    if (stamp && request.cache) job.shaped = request.cache->Find(path, *stamp, request.shape);
    plan.jobOfEntry.push_back(static_cast<int>(plan.jobs.size()));
    plan.jobs.push_back(std::move(job));
  }
  return plan;
}

// Loads and shapes the job's file; false, with the failure set, when that fails. A JPEG tile's
// rows are shaped as they are decoded, so the whole photograph is never held.
bool DecodeAndShape(TileJob& job, const TileShape& shape, std::shared_ptr<CDibImage>& tile) {
  tile = std::make_shared<CDibImage>();
  CTileRowShaper shaper(shape);
  const LoadOutcome loaded = LoadOrStream(*tile, job.path, LoadOptions{shape.turnUpright}, shaper);
  if (loaded.delivery == Delivery::kNone) {
    job.failure = res::IDS_TILE_OPEN_ERROR;
    return false;
  }
  job.decoded = true;
  job.incomplete = !loaded.whole;
  if (loaded.delivery == Delivery::kRows) {
    if (shaper.Finish(*tile)) return true;
    job.failure = res::IDS_NO_MEMORY;
    return false;
  }
  const ShapeResult shaped = ShapeTile(*tile, shape);
  if (shaped != ShapeResult::kShaped) {
    job.failure = shaped == ShapeResult::kNoMemory ? res::IDS_NO_MEMORY : 0u;
    return false;
  }
  tile->CloseFile();
  tile->FreeRowBuffer();
  return true;
}

// A framed copy of a tile that stays unframed for later builds.
std::shared_ptr<CDibImage> FramedCopy(const CDibImage& shaped) {
  auto framed = std::make_shared<CDibImage>();
  if (!framed->Create(shaped.GetWidth(), shaped.GetHeight(), TRUE)) return nullptr;
  framed->CopyRect(shaped, 0, 0, -1, -1, 0, 0);
  return framed;
}

void RunJob(TileJob& job, const TileReadRequest& request) {
  try {
    std::shared_ptr<CDibImage> tile;
    if (!job.shaped) {
      if (!DecodeAndShape(job, request.shape, tile)) return;
      job.shaped = tile;
    }
    if (request.measureLayouts)
      job.layout = MeasureLayout(*job.shaped, 0, 0, job.shaped->GetWidth(), job.shaped->GetHeight());
    if (!request.buttonFrame) {
      job.laid = job.shaped;
      return;
    }
    // The unframed tile is kept for later builds, which may frame it differently or not at all.
    const bool keepUnframed = request.cache != nullptr && job.stamp.has_value();
    if (keepUnframed || !tile) tile = FramedCopy(*job.shaped);
    if (!tile) {
      job.failure = res::IDS_NO_MEMORY;
      return;
    }
    DrawButtonFrame(*tile, kFrameThickness, TRUE);
    job.laid = tile;
  } catch (const std::bad_alloc&) {
    job.failure = res::IDS_NO_MEMORY;
  }
}

// Whether the entry's file, which could not be read, may be left out of the build.
bool MayPassOver(const TileJob& job, const TileReadRequest& request) {
  return job.failure == res::IDS_TILE_OPEN_ERROR && request.mayPassOver &&
         request.mayPassOver(job.path);
}

PosterBuildResult Failed(unsigned messageId, const std::string& path) {
  PosterBuildResult result;
  result.messageId = messageId;
  if (messageId == res::IDS_TILE_OPEN_ERROR) result.messageArg = path;
  return result;
}

}  // namespace

CTileReading::CTileReading(const TileReadRequest& request)
    : m_request(request), m_plan(std::make_unique<Plan>(PlanJobs(request))) {
  m_work = std::make_unique<COrderedWork>(
      static_cast<int>(m_plan->jobs.size()), request.threads,
      [this](int j) { RunJob(m_plan->jobs[static_cast<std::size_t>(j)], m_request); });
}

// The helpers are stopped and joined before the jobs they work on go.
CTileReading::~CTileReading() { m_work.reset(); }

std::optional<PosterBuildResult> CTileReading::Collect(CProgress& progress, TileImages& images) {
  const int count = static_cast<int>(m_plan->jobOfEntry.size());
  images.byEntry.assign(static_cast<std::size_t>(count), nullptr);
  if (m_request.measureLayouts) images.layouts.assign(static_cast<std::size_t>(count), {});
  const auto goOn = [&progress] { return !progress.CheckCancel(); };
  for (int i = 0; i < count; ++i) {
    const std::string& path = m_request.tiles->GetText(i);
    progress.SetDetail(path);
    if (!progress.SetPercent(100 * i / count)) return PosterBuildResult{};
    const int jobIndex = m_plan->jobOfEntry[static_cast<std::size_t>(i)];
    TileJob& job = m_plan->jobs[static_cast<std::size_t>(jobIndex)];
    if (!m_work->WaitFor(jobIndex, goOn)) return PosterBuildResult{};
    if (MayPassOver(job, m_request)) {
      images.passedOverEntries.push_back(i);
      if (!std::exchange(job.passedOver, true)) images.passedOverFiles.push_back(path);
      continue;
    }
    if (job.failure) return Failed(*job.failure, path);
    if (job.decoded && !job.kept) {
      ++images.filesDecoded;
      if (job.incomplete) images.incompleteFiles.push_back(path);
      if (m_request.cache && job.stamp)
        m_request.cache->Keep(path, *job.stamp, m_request.shape, job.shaped);
      job.kept = true;
    }
    images.byEntry[static_cast<std::size_t>(i)] = job.laid;
    if (m_request.measureLayouts) images.layouts[static_cast<std::size_t>(i)] = job.layout;
  }
  return std::nullopt;
}

int RemovePassedOver(TileImages& images, TileList& tiles) {
  // From the last entry back, so that the indexes still to be removed stay valid.
  for (auto entry = images.passedOverEntries.rbegin(); entry != images.passedOverEntries.rend();
       ++entry) {
    const auto at = static_cast<std::ptrdiff_t>(*entry);
    images.byEntry.erase(images.byEntry.begin() + at);
    if (!images.layouts.empty()) images.layouts.erase(images.layouts.begin() + at);
    tiles.Remove(*entry);
  }
  images.passedOverEntries.clear();
  return tiles.GetCount();
}

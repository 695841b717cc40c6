#include "image/Enlargement.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "image/DibImage.h"
#include "image/ResampleProcedures.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

CEnlargement::Tap TapAt(int i, int sourceCount, int destinationCount) {
  const double position = static_cast<double>(sourceCount) * i / destinationCount;
  const int index = static_cast<int>(position);
  const int hundredths = static_cast<int>(position * 100 - index * 100.0 - 50);
  CEnlargement::Tap tap{index, 0, std::abs(hundredths)};
  if (hundredths < 0)
    tap.neighbour = index > 0 ? index - 1 : 0;
  else
    tap.neighbour = index + 1 < sourceCount ? index + 1 : sourceCount - 1;
  return tap;
}

// Products and quotients of 16-bit operands, written so that the compiler keeps them in 16-bit
// vector lanes: every value here stays below 2^16.
constexpr std::uint16_t Times(std::uint16_t a, std::uint16_t b) {
  return static_cast<std::uint16_t>(a * b);
}
constexpr std::uint16_t Percent(std::uint16_t value, std::uint16_t weight) {
  return static_cast<std::uint16_t>(Times(value, weight) / 100u);
}

// Mixes bytes [begin, end) of one destination row. For horizontal lean X and vertical lean Y
// the weights in percent are: diagonal X·Y/100, vertical (100-X)·Y/100, horizontal (100-Y)·X/100
// and the pixel itself the rest; each of the four terms is truncated on its own, so white can
// lose up to 3 levels. The row pointers are taken into locals: a store through out could change
// them, for all the compiler knows, and it would load them again for every byte instead of
// vectorising. Where the processor has the wider vectors, twice as many lanes run at once.
__attribute__((target_clones("avx2", "default"))) void MixBytes(
    std::uint8_t* out, const CEnlargement::SpreadRow& ownRow,
    const CEnlargement::SpreadRow& neighbourRow, const std::uint16_t* leanAcross,
    std::uint16_t leanDown, std::size_t begin, std::size_t end) {
  const auto restDown = static_cast<std::uint16_t>(100 - leanDown);
  const std::uint8_t* const own = ownRow.own;
  const std::uint8_t* const across = ownRow.neighbour;
  const std::uint8_t* const down = neighbourRow.own;
  const std::uint8_t* const diagonalByte = neighbourRow.neighbour;
  for (std::size_t k = begin; k < end; ++k) {
    const std::uint16_t x = leanAcross[k];
    const std::uint16_t diagonal = Percent(x, leanDown);
    const std::uint16_t vertical = Percent(static_cast<std::uint16_t>(100 - x), leanDown);
    const std::uint16_t horizontal = Percent(restDown, x);
    const auto self = static_cast<std::uint16_t>(100 - diagonal - vertical - horizontal);
    out[k] =
        static_cast<std::uint8_t>(Percent(own[k], self) + Percent(across[k], horizontal) +
                                  Percent(down[k], vertical) + Percent(diagonalByte[k], diagonal));
  }
}

// A source row to spread to the columns [first, first + count), written from their start.
struct SpreadJob {
  const std::uint8_t* row;
  std::uint8_t* own;
  std::uint8_t* neighbour;
  const std::uint32_t* ownOffset;
  const std::uint32_t* neighbourOffset;
  const CEnlargement::SpreadBlock* blocks;
  std::size_t first;
  std::size_t count;
};

// Columns [begin, end), one at a time.
inline void SpreadEach(const SpreadJob& job, std::size_t begin, std::size_t end) {
  for (std::size_t j = begin; j < end; ++j) {
    std::memcpy(job.own + 3 * (j - job.first), job.row + job.ownOffset[j], 3);
    std::memcpy(job.neighbour + 3 * (j - job.first), job.row + job.neighbourOffset[j], 3);
  }
}

#if defined(__x86_64__) || defined(__i386__)

// Sixteen bytes from base picked into out; the last four spill over into the next block's place.
__attribute__((target("ssse3"))) inline void Shuffle(const std::uint8_t* row, std::uint32_t base,
                                                     const std::uint8_t (&picks)[16],
                                                     std::uint8_t* out) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + base));
  const __m128i order = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picks));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(bytes, order));
}

// The whole blocks inside the columns by shuffles, the columns around them one at a time.
// Blocks are spread in order, so a block's spill is overwritten by whatever comes after it.
// The job comes by value: a copy of its own, which no byte store can change, stays in registers.
__attribute__((target("ssse3"))) void SpreadByShuffles(const SpreadJob job) {
  constexpr std::size_t n = CEnlargement::SpreadBlock::kColumns;
  const std::size_t end = job.first + job.count;
  const std::size_t firstBlock = (job.first + n - 1) / n, endBlock = end / n;
  if (firstBlock >= endBlock) return SpreadEach(job, job.first, end);
  SpreadEach(job, job.first, firstBlock * n);
  for (std::size_t b = firstBlock; b < endBlock; ++b) {
    const CEnlargement::SpreadBlock& block = job.blocks[b];
    if (!block.shuffles) {
      SpreadEach(job, b * n, b * n + n);
      continue;
    }
    const std::size_t at = 3 * (b * n - job.first);
    Shuffle(job.row, block.ownBase, block.ownPick, job.own + at);
    Shuffle(job.row, block.neighbourBase, block.neighbourPick, job.neighbour + at);
  }
  SpreadEach(job, endBlock * n, end);
}

#endif

// By shuffles where the processor has them (nearly every x86 processor since 2006), otherwise
// one column at a time.
void SpreadColumns(const SpreadJob& job) {
#if defined(__x86_64__) || defined(__i386__)
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  if (shuffles) return SpreadByShuffles(job);
#endif
  SpreadEach(job, job.first, job.first + job.count);
}

}  // namespace

CEnlargement::CEnlargement(const CDibImage& source, int width, int height)
    : m_source(source),
      m_sourceTop(source.GetPixelAddress(0, 0)),
      m_sourceStride(static_cast<std::ptrdiff_t>(source.GetRowBytes())) {
  MakeTaps(width, height, static_cast<std::size_t>(width), nullptr,
           static_cast<std::size_t>(height), nullptr);
}

CEnlargement::CEnlargement(const CDibImage& source, int width, int height,
                           const std::vector<int>& columns, const std::vector<int>& rows)
    : m_source(source),
      m_sourceTop(source.GetPixelAddress(0, 0)),
      m_sourceStride(static_cast<std::ptrdiff_t>(source.GetRowBytes())) {
  MakeTaps(width, height, columns.size(), columns.data(), rows.size(), rows.data());
}

void CEnlargement::MakeTaps(int width, int height, std::size_t columnCount, const int* columns,
                            std::size_t rowCount, const int* rows) {
  const int sourceWidth = m_source.GetWidth(), sourceHeight = m_source.GetHeight();
  try {
    m_rowTaps.resize(rowCount);
    m_ownOffset.resize(columnCount);
    m_neighbourOffset.resize(columnCount);
    m_leanPerByte.resize(3 * columnCount);
  } catch (const std::bad_alloc&) {
    return;
  }
  for (std::size_t i = 0; i < rowCount; ++i)
    m_rowTaps[i] = TapAt(rows ? rows[i] : static_cast<int>(i), sourceHeight, height);
  for (std::size_t j = 0; j < columnCount; ++j) {
    const Tap tap = TapAt(columns ? columns[j] : static_cast<int>(j), sourceWidth, width);
    m_ownOffset[j] = 3 * static_cast<std::uint32_t>(tap.index);
    m_neighbourOffset[j] = 3 * static_cast<std::uint32_t>(tap.neighbour);
    for (std::size_t c = 0; c < 3; ++c)
      m_leanPerByte[3 * j + c] = static_cast<std::uint16_t>(tap.lean);
  }
  m_hasMemory = MakeBlocks(3 * static_cast<std::uint32_t>(sourceWidth));
}

bool CEnlargement::MakeBlocks(std::uint32_t rowBytes) {
  try {
    m_blocks.resize(m_ownOffset.size() / SpreadBlock::kColumns);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (std::size_t b = 0; b < m_blocks.size(); ++b) {
    SpreadBlock& block = m_blocks[b];
    const std::uint32_t* own = m_ownOffset.data() + b * SpreadBlock::kColumns;
    const std::uint32_t* neighbour = m_neighbourOffset.data() + b * SpreadBlock::kColumns;
    block.shuffles = Picks(own, rowBytes, block.ownBase, block.ownPick) &&
                     Picks(neighbour, rowBytes, block.neighbourBase, block.neighbourPick);
  }
  return true;
}

// The base and picks of one block's four columns at offsets; false when they do not fit.
bool CEnlargement::Picks(const std::uint32_t* offsets, std::uint32_t rowBytes, std::uint32_t& base,
                         std::uint8_t (&picks)[16]) {
  base = *std::min_element(offsets, offsets + SpreadBlock::kColumns);
  const std::uint32_t end = *std::max_element(offsets, offsets + SpreadBlock::kColumns) + 3;
  if (end - base > 16 || base + 16 > rowBytes) return false;
  for (std::size_t i = 0; i < 3 * SpreadBlock::kColumns; ++i)
    picks[i] = static_cast<std::uint8_t>(offsets[i / 3] + i % 3 - base);
  return true;
}

bool CEnlargement::HasMemory() const { return m_hasMemory; }

void CEnlargement::MixRow(std::uint8_t* out, int y, Rows& rows, std::size_t begin,
                          std::size_t end) const {
  const Tap& tap = m_rowTaps[static_cast<std::size_t>(y)];
  const SpreadRow& ownRow = rows.Get(tap.index);
  const SpreadRow& neighbourRow = rows.Get(tap.neighbour);
  MixBytes(out, ownRow, neighbourRow,
           m_leanPerByte.data() + 3 * static_cast<std::size_t>(rows.FirstColumn()),
           static_cast<std::uint16_t>(tap.lean), begin, end);
}

void CEnlargement::Paint(CDibImage& target, int targetX, int targetY, int x, int y, int w, int h,
                         Rows& rows) const {
  rows.Aim(x, w);
  const std::size_t bytes = 3 * static_cast<std::size_t>(w);
  for (int i = 0; i < h; ++i)
    MixRow(target.GetPixelAddress(targetX, targetY + i), y + i, rows, 0, bytes);
}

CEnlargement::Rows::Rows(const CEnlargement& enlargement, int maxColumns)
    : m_enlargement(enlargement),
      m_padded(3 * static_cast<std::size_t>(maxColumns) + 4),
      m_bytes(resample::NewBuffer<std::uint8_t>(kSlots * 2 * m_padded)) {
  if (!m_bytes) return;
  for (std::size_t s = 0; s < kSlots; ++s) {
    m_slots[s].own = m_bytes.get() + 2 * s * m_padded;
    m_slots[s].neighbour = m_slots[s].own + m_padded;
  }
}

void CEnlargement::Rows::Aim(int firstColumn, int columnCount) {
  m_firstColumn = firstColumn;
  m_columnCount = columnCount;
  for (SpreadRow& slot : m_slots) slot.sourceRow = -1;
}

const CEnlargement::SpreadRow& CEnlargement::Rows::Get(int sourceRow) {
  SpreadRow& slot = m_slots[static_cast<std::size_t>(sourceRow) % kSlots];
  if (slot.sourceRow != sourceRow) {
    Spread(slot, m_enlargement.m_sourceTop - sourceRow * m_enlargement.m_sourceStride);
    slot.sourceRow = sourceRow;
  }
  return slot;
}

void CEnlargement::Rows::Spread(SpreadRow& slot, const std::uint8_t* row) const {
  const CEnlargement& e = m_enlargement;
  SpreadColumns({row, slot.own, slot.neighbour, e.m_ownOffset.data(), e.m_neighbourOffset.data(),
                 e.m_blocks.data(), static_cast<std::size_t>(m_firstColumn),
                 static_cast<std::size_t>(m_columnCount)});
}

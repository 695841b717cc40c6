#include "formats/GifLzwDecoder.h"

#include <algorithm>

CGifLzwDecoder::CGifLzwDecoder(std::FILE* file, int initialCodeSize)
    : m_file(file),
      m_clearCode(1 << initialCodeSize),
      m_endCode(m_clearCode + 1),
      m_initialCodeWidth(initialCodeSize + 1) {
  ResetTable();
}

int CGifLzwDecoder::Decode(std::uint8_t* out, int count) {
  int written = 0;
  while (written < count && !m_finished) {
    if (m_stackTop == 0 && !DecodeNextString()) {
      m_finished = true;
      break;
    }
    // A local copy of the top: stores through out may alias any member.
    int top = m_stackTop;
    while (top > 0 && written < count) out[written++] = m_stack[--top];
    m_stackTop = top;
  }
  return written;
}

void CGifLzwDecoder::ResetTable() {
  m_codeWidth = m_initialCodeWidth;
  m_nextFree = m_clearCode + 2;
  m_widthLimit = 2 * m_clearCode;
  m_stackTop = 0;
}

bool CGifLzwDecoder::DecodeNextString() {
  int code = m_clearCode;
  if (m_fresh)
    m_fresh = false;
  else
    code = ReadCode();
  if (code == kFileEnded || code == m_endCode) return false;
  if (code == m_clearCode) return StartAfterClear();

  int newPrevious = code;
  if (code >= m_nextFree) {
    // A code not yet in the table stands for the previous string plus its own first byte; one
    // beyond the next free slot is taken as that too, with 0 as the previous code to come.
    Push(m_first);
    if (code > m_nextFree) newPrevious = 0;
    code = m_previous;
  }
  // Every entry's prefix is an older entry, so the chain ends within the table's size; the
  // bound keeps the last slot for the first byte. Locals, as stores to the stack may alias any
  // member.
  const int clearCode = m_clearCode;
  int top = m_stackTop;
  while (code >= clearCode && top < kStackSize - 1) {
    m_stack[top++] = m_suffix[code];
    code = m_prefix[code];
  }
  m_stackTop = top;
  m_first = code;
  Push(m_first);
  AddEntry();
  m_previous = newPrevious;
  return true;
}

bool CGifLzwDecoder::StartAfterClear() {
  ResetTable();
  int code;
  do {
    code = ReadCode();
    if (code == kFileEnded) return false;
  } while (code == m_clearCode);
  // The first code after a clear must be a single pixel; anything else, the end code included,
  // is taken as pixel 0 and decoding goes on.
  if (code > m_clearCode) code = 0;
  m_first = m_previous = code;
  Push(code);
  return true;
}

void CGifLzwDecoder::AddEntry() {
  // A full table stays full, read with 12-bit codes, until the next clear code.
  if (m_nextFree >= kTableSize) return;
  m_prefix[m_nextFree] = static_cast<std::uint16_t>(m_previous);
  m_suffix[m_nextFree] = static_cast<std::uint8_t>(m_first);
  ++m_nextFree;
  if (m_nextFree >= m_widthLimit && m_codeWidth < kMaxCodeWidth) {
    ++m_codeWidth;
    m_widthLimit *= 2;
  }
}

int CGifLzwDecoder::ReadCode() {
  const int width = m_codeWidth;
  while (m_bitCount < width) {
    if (m_blockPos == m_blockLength && !ReadSubBlock())
      return m_fileEnded ? kFileEnded : m_endCode;
    m_bits |= static_cast<std::uint32_t>(m_block[m_blockPos++]) << m_bitCount;
    m_bitCount += 8;
  }
  const int code = static_cast<int>(m_bits & ((1u << width) - 1));
  m_bits >>= width;
  m_bitCount -= width;
  return code;
}

bool CGifLzwDecoder::ReadSubBlock() {
  if (m_dataEnded) return false;
  const int length = std::getc(m_file);
  // A sub-block cut short by the end of the file still gives the bytes it has.
  const std::size_t got =
      length > 0 ? std::fread(m_block.data(), 1, static_cast<std::size_t>(length), m_file) : 0;
  if (got == 0) {
    m_dataEnded = true;
    m_fileEnded = length != 0;
    return false;
  }
  m_blockLength = static_cast<int>(got);
  m_blockPos = 0;
  return true;
}

std::uint64_t CGifLzwDecoder::MostPixels(std::uint64_t dataBytes) {
  // Past a petabyte of data the bound no longer matters; held there, nothing below overflows.
  constexpr std::uint64_t kEnoughBytes = std::uint64_t{1} << 50;
  constexpr std::uint64_t kLongest = kStackSize;
  const std::uint64_t codes = std::min(dataBytes, kEnoughBytes) * 8 / (kMinCodeSize + 1);
  if (codes <= kLongest) return codes * (codes + 1) / 2;
  return kLongest * (kLongest + 1) / 2 + (codes - kLongest) * kLongest;
}

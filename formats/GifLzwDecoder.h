// Decoding the LZW-compressed pixel data of one GIF image.
//
// The data is a chain of sub-blocks (a length byte, then that many bytes) closed by a
// zero-length sub-block. Codes are packed least significant bit first and may span sub-blocks;
// they start one bit wider than the initial code size and grow up to 12 bits as the string table
// fills. The decoder reads the sub-blocks itself, straight from the file, and never reads or
// writes outside its own fixed-size tables, whatever codes, lengths or sizes the data holds.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

class CGifLzwDecoder {
 public:
  // The initial code sizes a file may give; pixel values above 255 keep their low 8 bits.
  static constexpr int kMinCodeSize = 2;
  static constexpr int kMaxCodeSize = 11;

  // file (not owned) is positioned at the length byte of the first data sub-block.
  // initialCodeSize lies in kMinCodeSize..kMaxCodeSize.
  CGifLzwDecoder(std::FILE* file, int initialCodeSize);

  // Writes up to count pixel values to out and returns how many it wrote. Fewer than count means
  // the picture has ended (end code, zero-length sub-block or end of file); every later call
  // then returns 0.
  [[nodiscard]] int Decode(std::uint8_t* out, int count);

  // The most pixels LZW data of dataBytes bytes can give, whatever the initial code size: every
  // code takes at least kMinCodeSize + 1 bits and gives a string at most one byte longer than
  // the longest before it, and no string outgrows the table.
  [[nodiscard]] static std::uint64_t MostPixels(std::uint64_t dataBytes);

 private:
  static constexpr int kTableSize = 4096;
  static constexpr int kMaxCodeWidth = 12;
  // One string is at most every table entry plus the repeated first byte.
  static constexpr int kStackSize = kTableSize + 2;
  static constexpr int kFileEnded = -1;

  void ResetTable();
  // Pushes the next string onto the stack, its first byte on top; false when the picture ends.
  bool DecodeNextString();
  bool StartAfterClear();
  void AddEntry();
  // The next code, the end code once the data has ended, or kFileEnded.
  int ReadCode();
  bool ReadSubBlock();
  void Push(int byte) { m_stack[m_stackTop++] = static_cast<std::uint8_t>(byte); }

  std::FILE* m_file;
  const int m_clearCode;
  const int m_endCode;
  const int m_initialCodeWidth;

  int m_codeWidth = 0;
  int m_nextFree = 0;     // next table slot to fill
  int m_widthLimit = 0;   // the code width grows when m_nextFree reaches it
  int m_first = 0;        // first byte of the last string
  int m_previous = 0;     // last code read
  bool m_fresh = true;    // no code read yet: the data starts as after a clear code
  bool m_finished = false;

  // Bits not yet taken, least significant first, from the current sub-block.
  std::uint32_t m_bits = 0;
  int m_bitCount = 0;
  std::array<std::uint8_t, 255> m_block{};
  int m_blockLength = 0;
  int m_blockPos = 0;
  bool m_dataEnded = false;  // the zero-length sub-block or the end of the file was met
  bool m_fileEnded = false;

  std::array<std::uint16_t, kTableSize> m_prefix{};  // code of the string minus its last byte
  std::array<std::uint8_t, kTableSize> m_suffix{};   // last byte of the string
  std::array<std::uint8_t, kStackSize> m_stack{};
  int m_stackTop = 0;
};

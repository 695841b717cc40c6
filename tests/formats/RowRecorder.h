// A row receiver for the reader tests: keeps what it is handed in a picture.
#pragma once

#include <algorithm>
#include <cstdint>

#include "formats/RowReceiver.h"
#include "image/DibImage.h"

namespace test {

class RowRecorder : public CRowReceiver {
 public:
  explicit RowRecorder(bool accept = true) : m_accept(accept) {}
  bool Accept(int width, int height) override {
    ++accepted;
    return m_accept && picture.Create(width, height, TRUE);
  }
  void Take(int y, const std::uint8_t* row) override {
    rowsTaken += y == rowsTaken ? 1 : 1000000;  // out of order shows as a huge count
    std::copy_n(row, 3 * static_cast<std::size_t>(picture.GetWidth()), picture.GetPixelAddress(0, y));
  }

  CDibImage picture;  // rows never handed over stay black
  int accepted = 0;   // times the reader asked
  int rowsTaken = 0;

 private:
  bool m_accept;
};

}  // namespace test

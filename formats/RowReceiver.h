// A picture's rows handed over as a reader decodes them, instead of being kept in an image.
#pragma once

#include <cstdint>

class CRowReceiver {
 public:
  virtual ~CRowReceiver() = default;
  // Before any row: the size of the picture as stored, which is also its upright size (pictures
  // that must be turned upright are never handed over). False declines: the picture is then
  // loaded whole as usual.
  [[nodiscard]] virtual bool Accept(int width, int height) = 0;
  // Row y (0 at the top), 3 × width bytes blue-green-red. The rows come in increasing order;
  // after a decoding error the rest never come.
  virtual void Take(int y, const std::uint8_t* row) = 0;

 protected:
  CRowReceiver() = default;
  CRowReceiver(const CRowReceiver&) = default;
  CRowReceiver& operator=(const CRowReceiver&) = default;
};

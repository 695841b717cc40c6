// A page printer as the print engine sees it.
//
// The engine draws every page in bands: a small 24-bit band image whose top-left part is
// stretched onto a rectangle of the page. A real printer, a PDF file and the recording device
// of the tests implement this one interface, so all of them run the same band loop.
#pragma once

#include <functional>
#include <string>

#include "image/DibImage.h"
#include "image/Types.h"

// The printable area of a page and the resolutions, as the printer reports them.
struct PrintDeviceMetrics {
  int pageWidthPx = 0;   // printable width in device pixels
  int pageHeightPx = 0;  // printable height in device rows
  int dpiX = 0;
  int dpiY = 0;
};

// A rectangle of the printable area in device pixels, origin at its top-left corner.
struct DeviceRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const DeviceRect&) const = default;
};

// A point of the printable area in device pixels (x from the left, y in device rows from the
// top); fractions lie between pixels.
struct DevicePoint {
  double x = 0;
  double y = 0;
};

// Where a picture goes: the top-left corner of its first pixel, the device pixels each of its
// pixels covers, and the rectangle outside which nothing of it shows.
struct PicturePlacement {
  DevicePoint origin;
  double pixelWidth = 1;
  double pixelHeight = 1;
  DeviceRect clip;
};

// Error codes a device passes to the abort procedure. 0 is a plain "may I go on?".
constexpr int kSpError = -1;      // the job failed in the device or the spooler
constexpr int kSpOutOfDisk = -4;  // the spooler waits for disk space: not a reason to stop

// The abort procedure as installed on a device: called with an error code from inside the
// device's own printing calls, it answers TRUE to go on and FALSE to abandon the job.
using AbortProc = std::function<BOOL(int errorCode)>;

class CPrintDevice {
 public:
  virtual ~CPrintDevice() = default;

  [[nodiscard]] virtual PrintDeviceMetrics GetMetrics() const = 0;
  void SetAbortProc(AbortProc proc) { m_abortProc = std::move(proc); }

  // Starts a job of that name; false when it cannot be started (nothing to end or abort then).
  [[nodiscard]] virtual bool StartDoc(const std::string& documentName) = 0;
  [[nodiscard]] virtual bool StartPage() = 0;
  [[nodiscard]] virtual bool EndPage() = 0;
  // Completes the job; false when its output could not be delivered.
  [[nodiscard]] virtual bool EndDoc() = 0;
  // Abandons the job: nothing of it is delivered.
  virtual void AbortDoc() = 0;
  // Draws the top-left sourceWidth × sourceHeight pixels of band (24-bit, at most its size)
  // stretched onto destination, without smoothing.
  virtual void StretchBand(const DeviceRect& destination, const CDibImage& band, int sourceWidth,
                           int sourceHeight) = 0;
  // A black line of thickness device pixels, for cut marks and the assembly map's grid.
  virtual void DrawLine(DevicePoint from, DevicePoint to, double thickness) = 0;
  // Black text whose baseline starts at origin, letters heightPx device rows tall, turned
  // quarterTurns × 90 degrees anticlockwise.
  virtual void DrawText(DevicePoint origin, const std::string& text, double heightPx,
                        int quarterTurns) = 0;

  // A device that keeps a page's part of the poster as one picture takes it row by row through
  // the three calls below instead of in bands: true for those.
  [[nodiscard]] virtual bool TakesPictures() const { return false; }
  // Starts a width × height picture; its rows follow top row first.
  virtual void BeginPicture(int /*width*/, int /*height*/, const PicturePlacement& /*at*/) {}
  // The next rows of the picture: image's rows y .. y + rows - 1, from column x on.
  virtual void PictureRows(const CDibImage& /*image*/, int /*x*/, int /*y*/, int /*rows*/) {}
  virtual void EndPicture() {}

 protected:
  // What the installed abort procedure answers; TRUE when none is installed.
  BOOL CallAbortProc(int errorCode) { return m_abortProc ? m_abortProc(errorCode) : TRUE; }

 private:
  AbortProc m_abortProc;
};

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

 protected:
  // What the installed abort procedure answers; TRUE when none is installed.
  BOOL CallAbortProc(int errorCode) { return m_abortProc ? m_abortProc(errorCode) : TRUE; }

 private:
  AbortProc m_abortProc;
};

// The progress reports of a JPEG being written.
//
// "Compressing image data . . .", then for every whole percent of rows compressed "%s KBytes
// compressed" (the image data consumed so far) and the bar, then "Finishing compression . . .".
// The rows are counted in the steps in which the library is handed them, so a caller that learns
// the count later, in larger jumps, still makes exactly the reports of one that follows each step.
#pragma once

class CProgress;

// Rows handed to the library per call.
constexpr int kJpegRowsPerCall = 16;

class CJpegSaveReport {
 public:
  // progress may be nullptr: every report then answers "go on".
  CJpegSaveReport(CProgress* progress, int width, int height);

  // Each answers false when the user cancelled.
  [[nodiscard]] bool Compressing();
  // The first done rows are compressed: reports every step up to there not reported yet.
  [[nodiscard]] bool RowsCompressed(int done);
  [[nodiscard]] bool Finishing();

 private:
  [[nodiscard]] bool ReportStep(int done);

  CProgress* m_progress;
  int m_width;
  int m_height;
  int m_reportedRows = 0;
  int m_shownPercent = -1;
};

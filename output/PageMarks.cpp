#include "output/PageMarks.h"

#include "output/PrintDevice.h"

namespace {

// Letters are a little under half the frame tall; Helvetica's letters average about half their
// height in width, which is enough to centre a short label.
constexpr double kTextShare = 0.4;
constexpr double kAverageLetterWidth = 0.55;
// Marks stop short of the poster so that no stroke lands on it.
constexpr double kMarkGapShare = 0.2;
constexpr double kMarkThicknessInches = 0.006;

class CPageDrawing {
 public:
  CPageDrawing(CPrintDevice& device, const PageLayout& layout, int column, int row,
               double rowsPerPx)
      : m_device(device), m_layout(layout), m_column(column), m_row(row), m_rowsPerPx(rowsPerPx) {}

  void Marks();
  void Labels();

 private:
  // Page position of a poster coordinate, in horizontal printer pixels.
  [[nodiscard]] double PageX(int posterX) const {
    return m_layout.x.frame + posterX - m_layout.x.Start(m_column);
  }
  [[nodiscard]] double PageY(int posterY) const {
    return m_layout.y.frame + posterY - m_layout.y.Start(m_row);
  }
  [[nodiscard]] DevicePoint Point(double x, double y) const { return {x, y * m_rowsPerPx}; }
  void Line(double x0, double y0, double x1, double y1) {
    m_device.DrawLine(Point(x0, y0), Point(x1, y1), m_layout.x.frame * kMarkThicknessInches / kMarkFrameInches);
  }
  void VerticalCut(int posterX);
  void HorizontalCut(int posterY);
  void Text(double x, double y, const std::string& text, int quarterTurns);

  CPrintDevice& m_device;
  const PageLayout& m_layout;
  const int m_column, m_row;
  const double m_rowsPerPx;
};

void CPageDrawing::VerticalCut(int posterX) {
  const double x = PageX(posterX);
  const int frame = m_layout.x.frame, end = frame + m_layout.y.Usable();
  if (x < frame || x > frame + m_layout.x.Usable()) return;
  const double gap = frame * kMarkGapShare;
  Line(x, 0, x, frame - gap);
  Line(x, end + gap, x, end + frame);
}

void CPageDrawing::HorizontalCut(int posterY) {
  const double y = PageY(posterY);
  const int frame = m_layout.y.frame, end = frame + m_layout.x.Usable();
  if (y < frame || y > frame + m_layout.y.Usable()) return;
  const double gap = frame * kMarkGapShare;
  Line(0, y, frame - gap, y);
  Line(end + gap, y, end + frame, y);
}

void CPageDrawing::Marks() {
  // Each cut of the poster's two axes that falls on this page: its own two on each axis, and
  // a neighbour's where the overlap is wide enough to reach it.
  for (int i = 0; i <= m_layout.x.count; ++i) VerticalCut(m_layout.x.Cut(i));
  for (int i = 0; i <= m_layout.y.count; ++i) HorizontalCut(m_layout.y.Cut(i));
}

void CPageDrawing::Text(double x, double y, const std::string& text, int quarterTurns) {
  const double height = m_layout.x.frame * kTextShare;
  m_device.DrawText(Point(x, y), text, height * m_rowsPerPx, quarterTurns);
}

void CPageDrawing::Labels() {
  const AxisLayout& ax = m_layout.x;
  const AxisLayout& ay = m_layout.y;
  const double height = ax.frame * kTextShare, gap = ax.frame * kMarkGapShare;
  const double right = ax.frame + ax.Usable(), bottom = ay.frame + ay.Usable();
  const double middleX = ax.frame + ax.Usable() / 2.0, middleY = ay.frame + ay.Usable() / 2.0;
  const auto halfWidth = [&](const std::string& text) {
    return text.size() * height * kAverageLetterWidth / 2;
  };
  // The letters stand a gap away from the poster, their feet towards it on top and bottom.
  const auto withNeighbour = [&](int dy) {
    const std::string neighbour = NeighbourText(m_layout, m_column, m_row, 0, dy);
    return PageLabel(m_column, m_row) + (neighbour.empty() ? "" : "   " + neighbour);
  };
  const std::string above = withNeighbour(-1), below = withNeighbour(1);
  Text(middleX - halfWidth(above), ay.frame - gap, above, 0);
  Text(middleX - halfWidth(below), bottom + gap + height, below, 0);
  // Read from below on the left edge and from above on the right one, letters facing outwards.
  const std::string toLeft = NeighbourText(m_layout, m_column, m_row, -1, 0);
  const std::string toRight = NeighbourText(m_layout, m_column, m_row, 1, 0);
  if (!toLeft.empty()) Text(ax.frame - gap, middleY + halfWidth(toLeft), toLeft, 1);
  if (!toRight.empty()) Text(right + gap, middleY - halfWidth(toRight), toRight, 3);
}

}  // namespace

std::string NeighbourText(const PageLayout& layout, int column, int row, int dx, int dy) {
  const int c = column + dx, r = row + dy;
  if (c < 0 || r < 0 || c >= layout.x.count || r >= layout.y.count) return {};
  const char* side = dy < 0 ? "above: " : dy > 0 ? "below: " : dx < 0 ? "left: " : "right: ";
  return side + PageLabel(c, r);
}

void DrawPageMarks(CPrintDevice& device, const PageLayout& layout, int column, int row,
                   const PrintExtras& extras, double rowsPerPx) {
  if (layout.x.frame <= 0) return;
  CPageDrawing drawing(device, layout, column, row, rowsPerPx);
  if (extras.cutMarks) drawing.Marks();
  if (extras.labels) drawing.Labels();
}

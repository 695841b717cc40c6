// The overview of the poster that floats over the preview at actual pixels: a thumbnail at
// most 240 pixels long with an inverted frame marking the part the preview shows. Dropping the
// dragged frame moves the preview there.
#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>

#include "image/DibImage.h"

class CPreviewWnd;

class CNavigatorWnd : public QWidget {
  Q_OBJECT

 public:
  CNavigatorWnd();
  ~CNavigatorWnd() override;

  // The previewed image (not owned, W × H) and the preview's actual-pixel view size in source
  // pixels; called before CreateNavigator.
  void SetSource(CDibImage* source, int viewWidth, int viewHeight);
  // Makes the thumbnail and the window over preview (hidden, centred on the screen); FALSE,
  // and no window, when the thumbnail cannot be made.
  [[nodiscard]] BOOL CreateNavigator(CPreviewWnd* preview);
  // Ends a drag and moves the preview to the frame's place.
  void EndDrag();

  // The frame in thumbnail pixels.
  [[nodiscard]] QRect GetFrameRect() const;
  [[nodiscard]] const CDibImage* GetThumbnail() const { return m_thumbnail.get(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  [[nodiscard]] QPoint ToThumbnail(const QPointF& position) const;
  void TrackDrag(const QPoint& cursor);

  CDibImage* m_source = nullptr;
  std::unique_ptr<CDibImage> m_thumbnail;
  int m_viewWidth = 0, m_viewHeight = 0;
  int m_frameWidth = 0, m_frameHeight = 0;
  CPreviewWnd* m_preview = nullptr;
  bool m_dragging = false;
  QPoint m_lastCursor;
  int m_frameLeft = 0, m_frameTop = 0;
};

#include "output/NavigatorWnd.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "image/Resample.h"
#include "output/DibView.h"
#include "output/PreviewWnd.h"
#include "resources/StringTable.h"

namespace {

constexpr int kThumbnailSidePx = 240;
constexpr int kThumbnailPreShrink = 4;

}  // namespace

CNavigatorWnd::CNavigatorWnd() {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CNavigatorWnd::~CNavigatorWnd() = default;

void CNavigatorWnd::SetSource(CDibImage* source, int viewWidth, int viewHeight) {
  m_source = source;
  m_viewWidth = viewWidth;
  m_viewHeight = viewHeight;
}

BOOL CNavigatorWnd::CreateNavigator(CPreviewWnd* preview) {
  if (m_source == nullptr || !m_source->IsValid()) return FALSE;
  const int width = m_source->GetWidth(), height = m_source->GetHeight();
  int thumbWidth = kThumbnailSidePx, thumbHeight = kThumbnailSidePx;
  if (height < width)
    thumbHeight = height * kThumbnailSidePx / width;
  else
    thumbWidth = width * kThumbnailSidePx / height;
  thumbWidth = std::max(thumbWidth, 1);
  thumbHeight = std::max(thumbHeight, 1);
  m_frameWidth = thumbWidth * m_viewWidth / width;
  m_frameHeight = thumbHeight * m_viewHeight / height;
  m_frameLeft = m_frameTop = 0;

  m_thumbnail = std::make_unique<CDibImage>();
  if (!ResampleFrom(*m_thumbnail, thumbWidth, thumbHeight, *m_source, kThumbnailPreShrink)) {
    m_thumbnail.reset();
    return FALSE;
  }
  // A captioned window of its own over the preview, without a close box.
  setParent(preview, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(QString::fromUtf8(res::LoadString(res::IDS_CLICK_DRAG)));
  const qreal ratio = preview->devicePixelRatioF();
  setFixedSize(QSizeF(thumbWidth / ratio, thumbHeight / ratio).toSize());
  const QRect screen = preview->screen()->geometry();
  move(screen.center() - QPoint(this->width() / 2, this->height() / 2));
  m_preview = preview;
  return TRUE;
}

QRect CNavigatorWnd::GetFrameRect() const {
  return {m_frameLeft, m_frameTop, m_frameWidth, m_frameHeight};
}

QPoint CNavigatorWnd::ToThumbnail(const QPointF& position) const {
  return (position * devicePixelRatioF()).toPoint();
}

void CNavigatorWnd::paintEvent(QPaintEvent*) {
  if (!m_thumbnail || !m_thumbnail->IsValid()) return;
  QPainter painter(this);
  painter.scale(1 / devicePixelRatioF(), 1 / devicePixelRatioF());
  const int width = m_thumbnail->GetWidth(), height = m_thumbnail->GetHeight();
  DrawPixels(painter, QRectF(0, 0, width, height), ViewOf(*m_thumbnail),
             QRect(0, 0, width, height));
  painter.setCompositionMode(QPainter::RasterOp_NotDestination);
  painter.fillRect(GetFrameRect(), Qt::black);
}

void CNavigatorWnd::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint cursor = ToThumbnail(event->position());
  if (!GetFrameRect().contains(cursor)) return;
  grabMouse();
  m_lastCursor = cursor;
  m_dragging = true;
}

void CNavigatorWnd::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  const QPoint cursor = ToThumbnail(event->position());
  if (m_dragging) TrackDrag(cursor);
  setCursor(GetFrameRect().contains(cursor) ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

// The frame follows the cursor, held inside the thumbnail (one pixel short of the right and
// bottom edges); the preview moves only when the frame is dropped.
void CNavigatorWnd::TrackDrag(const QPoint& cursor) {
  if (cursor == m_lastCursor) return;
  m_frameLeft += cursor.x() - m_lastCursor.x();
  m_frameTop += cursor.y() - m_lastCursor.y();
  const int width = m_thumbnail->GetWidth(), height = m_thumbnail->GetHeight();
  if (m_frameLeft >= width - m_frameWidth) m_frameLeft = width - m_frameWidth - 1;
  if (m_frameLeft < 0) m_frameLeft = 0;
  if (m_frameTop >= height - m_frameHeight) m_frameTop = height - m_frameHeight - 1;
  if (m_frameTop < 0) m_frameTop = 0;
  m_lastCursor = cursor;
  update();
}

void CNavigatorWnd::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  EndDrag();
}

bool CNavigatorWnd::event(QEvent* event) {
  // Losing the mouse (another window took it, or the program lost the focus) drops the frame.
  if (event->type() == QEvent::UngrabMouse || event->type() == QEvent::WindowDeactivate) EndDrag();
  return QWidget::event(event);
}

void CNavigatorWnd::EndDrag() {
  if (!m_dragging) return;
  m_dragging = false;
  if (mouseGrabber() == this) releaseMouse();
  if (m_preview != nullptr && m_frameWidth > 0 && m_frameHeight > 0)
    m_preview->SetScroll(m_frameLeft * m_viewWidth / m_frameWidth,
                         m_frameTop * m_viewHeight / m_frameHeight);
}

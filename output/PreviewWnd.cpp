#include "output/PreviewWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "image/NumberUtils.h"
#include "output/DibView.h"
#include "output/NavigatorWnd.h"
#include "resources/StringTable.h"

CPreviewWnd::CPreviewWnd(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow),
      m_navigator(std::make_unique<CNavigatorWnd>()) {
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
  setCursor(Qt::ArrowCursor);
}

CPreviewWnd::~CPreviewWnd() = default;

BOOL CPreviewWnd::ShowPreview(CDibImage* image) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const BOOL created = CreatePreviewWindow();
  if (created) {
    SetImage(image);
    show();
    DisableMainWindow();
  }
  QApplication::restoreOverrideCursor();
  return created;
}

QSize CPreviewWnd::ClientSizePx() const { return size() * devicePixelRatioF(); }

BOOL CPreviewWnd::CreatePreviewWindow() {
  QScreen* screen =
      m_mainWindow != nullptr ? m_mainWindow->screen() : QGuiApplication::primaryScreen();
  setGeometry(screen->availableGeometry());
  setWindowTitle(QString::fromUtf8(res::LoadString(res::IDS_PREVIEW_ZOOM)));
  FreeImages();
  const QSize client = ClientSizePx();
  m_view = std::make_unique<CDibImage>();
  if (!m_view->Create(client.width(), client.height(), TRUE)) {
    m_view.reset();
    return FALSE;
  }
  return TRUE;
}

// The actual-pixel view: as much of the source as the client holds, centred where the source
// is smaller, taken from the scroll position.
void CPreviewWnd::SetActualView(int width, int height) {
  const int clientWidth = m_view->GetWidth(), clientHeight = m_view->GetHeight();
  m_viewWidth = std::min(width, clientWidth);
  m_viewHeight = std::min(height, clientHeight);
  m_viewX = width < clientWidth ? (clientWidth - width) / 2 : 0;
  m_viewY = height < clientHeight ? (clientHeight - height) / 2 : 0;
  m_view->CopyRect(*m_source, 0, 0, m_viewWidth, m_viewHeight, m_scrollX, m_scrollY);
}

bool CPreviewWnd::PrepareFitted(int width, int height) {
  const int clientWidth = m_view->GetWidth(), clientHeight = m_view->GetHeight();
  m_fitted = std::make_unique<CDibImage>();
  if (!m_fitted->Create(clientWidth, clientHeight, TRUE) || !m_fitted->IsValid()) {
    m_fitted.reset();
    return false;
  }
  m_fittedWidth = width;
  m_fittedHeight = height;
  FitInside(m_fittedWidth, m_fittedHeight, clientWidth, clientHeight);
  m_fittedX = (clientWidth - m_fittedWidth) / 2;
  m_fittedY = (clientHeight - m_fittedHeight) / 2;
  m_fitted->StretchFrom(m_fittedX, m_fittedY, m_fittedWidth, m_fittedHeight, *m_source);
  return true;
}

bool CPreviewWnd::OpenNavigator() {
  m_navigator = std::make_unique<CNavigatorWnd>();
  m_navigator->SetSource(m_source, m_viewWidth, m_viewHeight);
  return m_navigator->CreateNavigator(this);
}

void CPreviewWnd::SetImage(CDibImage* image) {
  if (!m_view || image == nullptr || !image->IsValid()) return;
  m_source = image;
  m_scrollX = m_scrollY = 0;
  m_view->Clear();
  const int width = image->GetWidth(), height = image->GetHeight();
  m_fittedWidth = width;
  m_fittedHeight = height;
  unsigned caption = res::IDS_PREVIEW;
  if (width > m_view->GetWidth() || height > m_view->GetHeight()) {
    const bool fitted = PrepareFitted(width, height);
    if (fitted) SetActualView(width, height);
    if (fitted && OpenNavigator()) {
      m_bZoomAvailable = TRUE;
      m_navigator->setVisible(m_mode == kModeActual);
      caption = res::IDS_PREVIEW_ZOOM;
    } else {
      // Without a fitted image or a navigator the poster is shown at actual pixels only.
      m_bZoomAvailable = FALSE;
      m_mode = kModeActual;
      FitInside(m_fittedWidth, m_fittedHeight, m_view->GetWidth(), m_view->GetHeight());
      SetActualView(width, height);
      if (OpenNavigator()) m_navigator->show();
    }
  } else {
    m_bZoomAvailable = FALSE;
    m_mode = kModeActual;
    SetActualView(width, height);
  }
  setWindowTitle(QString::fromUtf8(res::LoadString(caption)));
}

QRect CPreviewWnd::GetDrawnRect() const {
  if (m_mode == kModeActual) return {m_viewX, m_viewY, m_viewWidth, m_viewHeight};
  return {m_fittedX, m_fittedY, m_fittedWidth, m_fittedHeight};
}

void CPreviewWnd::DrawView() {
  if (m_source != nullptr) repaint();
}

void CPreviewWnd::paintEvent(QPaintEvent*) {
  const CDibImage* shown = m_mode == kModeActual ? m_view.get() : m_fitted.get();
  if (m_source == nullptr || shown == nullptr) return;
  QPainter painter(this);
  // One image pixel per device pixel, whatever the screen's scale.
  painter.scale(1 / devicePixelRatioF(), 1 / devicePixelRatioF());
  const QRect drawn = GetDrawnRect();
  const QRect source = m_mode == kModeActual ? QRect(QPoint(0, 0), drawn.size()) : drawn;
  DrawPixels(painter, QRectF(drawn), ViewOf(*shown), source);
}

void CPreviewWnd::keyPressEvent(QKeyEvent* event) {
  // Holding a key down acts once.
  if (event->isAutoRepeat()) return;
  if (event->key() == Qt::Key_Escape)
    close();
  else if (event->key() == Qt::Key_Plus && (event->modifiers() & Qt::KeypadModifier))
    ToggleZoom();
}

void CPreviewWnd::ToggleZoom() {
  if (!m_bZoomAvailable) return;
  m_mode = m_mode == kModeActual ? kModeFitted : kModeActual;
  if (m_navigator) m_navigator->setVisible(m_mode == kModeActual);
  update();
  DrawView();
}

void CPreviewWnd::SetScroll(int x, int y) {
  if (m_source == nullptr) return;
  const int width = m_source->GetWidth(), height = m_source->GetHeight();
  if (x > width - m_viewWidth) x = width - m_viewWidth;
  if (x < 0) x = 0;
  if (y > height - m_viewHeight) y = height - m_viewHeight;
  if (y < 0) y = 0;
  m_scrollX = x;
  m_scrollY = y;
  m_view->CopyRect(*m_source, 0, 0, m_viewWidth, m_viewHeight, x, y);
  DrawView();
}

void CPreviewWnd::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || m_mainWindow == nullptr) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if (isMinimized()) {
    m_mainWindow->setEnabled(true);
    m_mainWindow->showMinimized();
  } else if (change->oldState() & Qt::WindowMinimized) {
    m_mainWindow->showNormal();
    DisableMainWindow();
  }
}

// The preview belongs to the main window, so that the main window's modal loop lets it answer;
// disabling the main window disables its own windows too, so the preview takes its keys back.
void CPreviewWnd::DisableMainWindow() {
  if (m_mainWindow == nullptr) return;
  m_mainWindow->setEnabled(false);
  setEnabled(true);
}

void CPreviewWnd::closeEvent(QCloseEvent* event) {
  if (m_mainWindow != nullptr) m_mainWindow->setEnabled(true);
  QWidget::closeEvent(event);
  FreeImages();
}

void CPreviewWnd::FreeImages() {
  m_fitted.reset();
  m_view.reset();
  m_navigator.reset();
  m_source = nullptr;
}

// The full-screen poster preview: the poster fitted to the screen, or at actual pixels (one
// image pixel per device pixel) with the navigator to choose the part shown. The keypad's plus
// key switches between the two, Esc closes. While it is open the main window is disabled;
// minimising and restoring it takes the main window along.
#pragma once

#include <QWidget>
#include <memory>

#include "image/DibImage.h"

class CNavigatorWnd;

class CPreviewWnd : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kModeActual = 0;
  static constexpr int kModeFitted = 1;

  // mainWindow (not owned, the preview's parent) is disabled, minimised and restored along with
  // the preview.
  explicit CPreviewWnd(QWidget* mainWindow);
  ~CPreviewWnd() override;

  // Opens the preview of image (not owned, kept while the preview is open): the window and the
  // view image, the fitted image and the navigator; disables the main window. FALSE, nothing
  // shown, when the window's images cannot be had (the not-enough-memory message).
  [[nodiscard]] BOOL ShowPreview(CDibImage* image);

  // The steps of ShowPreview, for callers that need them one by one.
  [[nodiscard]] BOOL CreatePreviewWindow();
  void SetImage(CDibImage* image);

  void ToggleZoom();
  // Shows the part of the poster whose top-left pixel is (x, y), clamped into the poster.
  void SetScroll(int x, int y);
  // Draws the current view now.
  void DrawView();
  void FreeImages();

  [[nodiscard]] int GetMode() const { return m_mode; }
  [[nodiscard]] BOOL IsZoomAvailable() const { return m_bZoomAvailable; }
  [[nodiscard]] QPoint GetScroll() const { return {m_scrollX, m_scrollY}; }
  [[nodiscard]] QSize GetViewSize() const { return {m_viewWidth, m_viewHeight}; }
  [[nodiscard]] QRect GetDrawnRect() const;  // device pixels of the client area
  [[nodiscard]] CNavigatorWnd* GetNavigator() const { return m_navigator.get(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  [[nodiscard]] QSize ClientSizePx() const;
  void SetActualView(int width, int height);
  [[nodiscard]] bool PrepareFitted(int width, int height);
  [[nodiscard]] bool OpenNavigator();
  void DisableMainWindow();

  QWidget* m_mainWindow;
  CDibImage* m_source = nullptr;
  std::unique_ptr<CDibImage> m_fitted;
  std::unique_ptr<CDibImage> m_view;
  int m_scrollX = 0, m_scrollY = 0;
  int m_fittedWidth = 0, m_fittedHeight = 0;
  int m_viewWidth = 0, m_viewHeight = 0;
  int m_fittedX = 0, m_fittedY = 0;
  int m_viewX = 0, m_viewY = 0;
  int m_mode = kModeFitted;
  BOOL m_bZoomAvailable = FALSE;
  std::unique_ptr<CNavigatorWnd> m_navigator;
};

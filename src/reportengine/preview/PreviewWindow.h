// The standard preview window: the built pages at a zoom, a thumbnail
// pane, a search panel, a status bar with zoom and page, and a tool bar
// for zooming, paging, printing, saving and loading. Reports that want
// more buttons derive from it and add them to ToolBar().
#pragma once

#include <QMainWindow>
#include <QPrinter>
#include <optional>

#include "DisplayList.h"
#include "PageBuilder.h"
#include "PreviewDialogs.h"
#include "ReportModel.h"

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QScrollArea;
class QToolBar;

namespace reportengine {

class PageView;
class ThumbnailModel;

class PreviewWindow : public QMainWindow {
 public:
  // `report` and `dialogs` are borrowed for the window's life.
  PreviewWindow(Report& report, PreviewDialogs& dialogs, QWidget* owner = nullptr);
  ~PreviewWindow() override;

  // Builds the pages; false (after an error box) when the report failed.
  bool Build();

  QToolBar* ToolBar() const { return toolBar_; }
  // The tool bar's action with this hint, or null.
  QAction* Action(const QString& hint) const;

  const Document& Pages() const { return document_; }
  int PageCount() const { return static_cast<int>(document_.pages.size()); }
  int CurrentPage() const { return page_; }  // from 1; 0 without pages
  int Zoom() const { return zoom_; }         // percent of the paper's size
  // The widget showing the current page, at its zoomed size.
  QWidget* PageArea() const;

  void SetZoom(int percent);
  void ZoomToWidth();
  void ZoomToFit();
  void GoToPage(int page);
  void SetThumbnailsVisible(bool visible);
  bool ThumbnailsVisible() const;
  void SetSearchVisible(bool visible);
  bool SearchVisible() const;
  // Finds `text` (case-blind) after the last hit; false when nowhere.
  bool FindNext(const QString& text);

  // The tool bar's commands.
  void AskPage();
  void PrinterSetup();
  void Print();
  void SaveReport();
  void LoadReport();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildToolBar();
  // Shows `document` from its first page; `loaded` when read from a file.
  void Show(Document document, bool loaded);
  void ShowPage();
  void ApplyZoom(int percent);
  void FollowSize();
  void UpdateStatus();
  double PixelsPerMmAt100() const;
  // Fresh pages for printing and saving: built again from the report,
  // or the loaded pages when a saved report is shown.
  std::optional<Document> PagesToOutput();

  Report& report_;
  PreviewDialogs& dialogs_;
  Document document_;
  bool loaded_ = false;  // pages come from a report file, not the report
  int page_ = 0;
  int zoom_ = 100;
  // Zoom to width and to fit follow the window's size until a fixed zoom
  // is chosen; the window opens zoomed to the width.
  enum class ZoomMode { Fixed, Width, Fit };
  ZoomMode zoomMode_ = ZoomMode::Width;
  struct Hit {
    int page;
    std::size_t element;
  };
  std::optional<Hit> lastHit_;
  QPrinter printer_;

  QToolBar* toolBar_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  PageView* view_ = nullptr;
  QListView* thumbnails_ = nullptr;
  ThumbnailModel* thumbnailModel_ = nullptr;
  QWidget* searchPanel_ = nullptr;
  QLineEdit* searchText_ = nullptr;
  QLabel* zoomLabel_ = nullptr;
  QLabel* pageLabel_ = nullptr;
};

// How the standard preview opens; the search panel always starts hidden.
struct PreviewOptions {
  bool thumbnails = true;  // the thumbnail pane shown
};

// The report's pages in the standard preview, or in the report's own
// preview when it substitutes one; returns when the window has closed.
// False when the report could not be built (the error has been shown).
bool ShowPreview(Report& report, PreviewDialogs& dialogs, QWidget* owner = nullptr,
                 const PreviewOptions& options = {});

}  // namespace reportengine

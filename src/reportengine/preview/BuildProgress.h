// A long report is built behind a small window with a progress bar and a
// Cancel button, so that the program stays alive and the user can stop it.
#pragma once

#include <optional>

#include "DisplayList.h"
#include "PageBuilder.h"
#include "ReportModel.h"

class QWidget;

namespace reportengine {

// The caption and button of the window, for tests.
inline constexpr const char* kBuildProgressCaption = "Building report";
inline constexpr const char* kBuildProgressCancel = "Cancel";

// Builds the pages of `report`; the window appears once the build has run
// `showAfterMs` and follows the progress in percent. Nothing when the user
// cancelled; throws ReportError like BuildPages.
std::optional<Document> BuildWithProgress(Report& report, QWidget* owner, int showAfterMs = 400);

}  // namespace reportengine

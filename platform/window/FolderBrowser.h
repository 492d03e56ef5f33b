#pragma once

#include <functional>
#include <string>

#include "platform/window/ServiceBinding.h"

namespace platform {

struct FolderBrowseRequest {
  // Shown as the dialog's title.
  std::string title;
  bool includeFiles = false;
  bool editBox = true;
  // Asked once, when the browser is up: the folder it selects first.
  std::function<std::string()> initialSelection;
};

// Asks the user for a folder; modal, it returns when the user has chosen or cancelled.
class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;
  // The chosen folder, "" when none was chosen.
  virtual std::string Browse(const FolderBrowseRequest& request) = 0;
};

using FolderBrowserBinding = ServiceBinding<FolderBrowser>;

// "" when no browser is bound.
inline std::string BrowseForFolder(const FolderBrowseRequest& request) {
  FolderBrowser* browser = FolderBrowserBinding::Current();
  return browser == nullptr ? std::string() : browser->Browse(request);
}

}  // namespace platform

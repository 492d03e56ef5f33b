#pragma once

#include "platform/window/FolderBrowser.h"

namespace platform {

// Qt's folder dialog, modal to the whole program. It starts at the requested folder, else at the
// desktop folder. Where the desktop offers no dialog of its own, Qt's widget dialog shows, and a
// path typed into its name field followed by Return chooses that folder.
class DesktopFolderBrowser final : public FolderBrowser {
 public:
  std::string Browse(const FolderBrowseRequest& request) override;
};

}  // namespace platform

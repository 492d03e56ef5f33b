#pragma once

#include <memory>
#include <string>

#include "skin/PngPictureBox.h"
#include "skin/SkinWindow.h"

// What the application keeps for the life of the process.
namespace app {

// MainWindow's skin, the status picture over the whole of it, and the help window's skin.
extern std::unique_ptr<skin::SkinWindow> MainSkin;
extern std::unique_ptr<skin::PngPictureBox> StatusPicture;
extern std::unique_ptr<skin::SkinWindow> HelpSkin;

// The destination of the current drop, ending in a separator once chosen.
extern std::string OutputFolder;
// The folder the folder browser selects when it opens.
extern std::string BrowseStartFolder;

}  // namespace app

#include "app/Globals.h"

namespace app {

std::unique_ptr<skin::SkinWindow> MainSkin;
std::unique_ptr<skin::PngPictureBox> StatusPicture;
std::unique_ptr<skin::SkinWindow> HelpSkin;
std::string OutputFolder;
std::string BrowseStartFolder;

}  // namespace app

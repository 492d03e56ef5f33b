#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// What happens between a drop on MainWindow and the drag hint showing again.
namespace app {

// The got-file handler: one path alone, or every path followed by "\r\n".
void OnFilesDropped(std::string& dropped);

// The folder the user chose, without leading and trailing blanks; "" when none was chosen.
std::string BrowseForFolder(std::string_view startFolder,
                            std::string_view title = "请选择一个文件夹", bool includeFiles = false,
                            bool editBox = true);
// Asked by the browser when it is up: the folder to select first.
std::string BrowseCallback();

// Converts the path into OutputFolder when it names a supported picture.
void ProcessFile(const std::string& path);
std::string MakeOutputPath(std::string_view path);
// Every file directly in the folder, as listed before the first conversion.
void ConvertFolder(std::string_view folder);
// The status picture gets the PNG file's picture and MainWindow is on screen with it at once.
void ShowStatus(std::span<const std::uint8_t> picture);

}  // namespace app

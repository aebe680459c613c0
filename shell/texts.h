// The product's fixed texts: its name, version, web addresses and every
// message it shows. One place, so every window says exactly the same thing.
#pragma once

#include <string>

#include "platform/platform.h"
#include "shell/version.h"

namespace kestrive {

inline const std::string app_name = "Kestrive";
inline const std::string app_version = KESTRIVE_VERSION;
inline const std::string author_name = "Kestrive Team";

inline const std::string url_site = "https://kestrive.example.org";
inline const std::string url_download = "https://kestrive.example.org/download";
inline const std::string url_guide = "https://kestrive.example.org/guide";
inline const std::string url_social = "https://social.example.org/kestrive.team";
inline const std::string url_article = url_site + "/x/index.php?option=com_content&view=article&id=5&Itemid=12";
inline const std::string url_product =
    url_site + "/x/index.php?option=com_content&view=article&id=3:kestrive&catid=1:sfwr&Itemid=9";

// Title of every window: prefix, name, " v", version.
inline std::string windowTitle(const std::string& prefix) { return prefix + app_name + " v" + app_version; }

namespace msg {
inline const char* const DownloadQuestion =
    "Some file not found. Button 'computer' has been disable. Are you sure to download new version?";
inline const char* const ConfirmDelete = "Are you sure to delete this file(s)?";
inline const char* const ConfirmScan = "Are you sure to scan this device?";
inline const char* const ConfirmShowAll = "Are you sure to show all file this device?";
inline const char* const ConfirmRegistry = "Are you sure to do this?";
inline const char* const SelectDevice = "Select device first!";
inline const char* const SelectFile = "Please select file to delete!";
inline const char* const ScanFound = "Scan complete. Delete file that you don't know.";
inline const char* const ScanClean = "Scan complete. No virus detect.";
// Device root inserted between the two.
inline const char* const CannotReadPrefix = "Cannot read device ";
inline const char* const CannotReadSuffix = ". Check that it is still plugged in.";
inline const char* const DeleteLeftRemovable =
    "Delete complete. If unknown file still exist, please login in Safe Mode OR try next boot(restart computer)!";
inline const char* const DeleteLeftComputer =
    "Delete complete. If that unknown file still exist, please login in Safe Mode!";
inline const char* const DeleteComplete = "Delete complete!";
inline const char* const ComputerClean = "Done. Virus shortcut not detect!";
inline const char* const ComputerFound = "Done. Virus shortcut detect!";
inline const char* const RunAsAdmin = "Make sure you 'Run As Administrator' to do this. (For windows 7 and vista only)";
inline const char* const CannotDeletePrefix = "Cannot delete file '";
inline const char* const InUseRemovable = "' because file is being used.";
inline const char* const InUseComputer = "' because file is being used. Try again.";
inline const char* const SafeMode = "Error! Please login in safe mode.";
inline const std::string ToolMissing =
    std::string("File '") + kToolName + "' not found. Please redownload this program.";
inline const char* const NoSubkey = "Unable to open a subkey";
inline const char* const OpenKeyErrorPrefix = "Error RegOpenKeyEx for ";
}  // namespace msg

}  // namespace kestrive

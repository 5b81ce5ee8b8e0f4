#pragma once
// Finding the picture files a library build takes from a folder tree.
#include <string>
#include <vector>

#include "engine/BuildSettings.h"

namespace qv {

// The picture types a library can be built from, in the order their patterns are run
// together, each with its pattern: "JPG" covers .JPG and .JPEG, "TIF" .TIF and .TIFF.
struct TLibraryPictureType {
  const char* Name;     // "JPG"
  const char* Pattern;  // "*.JPG*.JPEG"
};
const std::vector<TLibraryPictureType>& LibraryPictureTypes();
// The PictureExtensions value for a set of type names (any case, any order); EQuivara for
// a name that is not one of the types.
std::string PictureExtensionsFor(const std::vector<std::string>& typeNames);

// True when the file name's extension, with its dot and in upper case, occurs anywhere in
// patterns (so ".JP" is accepted by "*.JPG*.JPEG"). A name without extension is refused.
bool ExtensionAccepted(const std::string& fileName, const std::string& patterns);

// True for a folder of the desktop trash: a path with a component starting with ".Trash"
// (".Trash-1000" on removable drives) or inside the user's trash ($XDG_DATA_HOME/Trash,
// by default ~/.local/share/Trash).
bool IsTrashFolder(const std::string& folder);

// The picture files of a folder tree in scan order: the folder's own files sorted by name
// (byte order), then each subfolder the same way, depth first, subfolders sorted by name.
// The files of a folder whose path contains "RECYCLED" are left out (its subfolders are still
// visited); trash folders are left out whole. Symbolic links are followed, each folder is
// visited once. A folder that cannot be read contributes nothing.
std::vector<std::string> ListPictureFilesIn(const std::string& folder, const std::string& patterns,
                                            bool includeSubfolders);

// The picture files a build or append pass with these settings visits, in the order it
// visits them (for a progress bar that knows its end).
std::vector<std::string> ListPictureFiles(const TScanSettings& scan);

}  // namespace qv

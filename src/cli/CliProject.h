#pragma once
// Pieces the project and compose commands share.
#include <string>

namespace qv {
class TQVData;
}

namespace qvcli {

// Opens a project's plan and mosaic; CliError when the file does not exist.
void OpenProjectFile(qv::TQVData& plan, qv::TQVData& mosaic, const std::string& file);

}  // namespace qvcli

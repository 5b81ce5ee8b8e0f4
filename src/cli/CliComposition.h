#pragma once
// Pieces the compose and optimize commands share: the rule options and the optimising pass
// with its progress and summary.
#include <cstdint>
#include <string>

#include "engine/CellGrid.h"

namespace qv {
class TQVData;
struct TCompositionSettings;
struct TOptimizeResult;
struct TOptimizeSettings;
}  // namespace qv

namespace qvcli {

class Args;

// A message of the program with its "\r" line breaks as a terminal shows them.
std::string TerminalText(std::string text);

// Opens the project file and its library (--library names another), the library with
// thumbnails so that changed cells get them. CliError when the library is missing or has
// another signature grid.
void OpenProjectAndLibrary(const Args& args, const std::string& file, qv::TQVData& plan, qv::TQVData& mosaic,
                           qv::TQVData& lib);

// The rules of a run over plan's grid: --distance (6), --repeat (0), --fix-auto,
// --no-fix-custom, --invert, --use original,h,v,r (original tiles only when not given) and
// --select C1,R1,C2,R2 (columns and rows from 1, both corners inside the grid).
qv::TCompositionSettings RulesFromArgs(const Args& args, const qv::TQVData& plan);

// --seconds: the optimising pass's time limit, 10 when not given, 0 for none.
int SecondsFromArgs(const Args& args);

// Makes sure the library holds the flipped copies a run may use; drops the orientations
// that could not be added. CliError (status 2) when no orientation is chosen.
void CompleteFlips(qv::TQVData& lib, qv::TOrientationSet& o);

// "horizontal mirror", "rotated 180", "vertical mirror" for the flip kinds, else "none".
const char* FlipName(int kind);

// The optimising pass over the composed mosaic with a progress line, stopped by the
// library's StopRequested. Prints the summary for file. CliError (status 2) when the mosaic
// does not keep the rules to begin with.
qv::TOptimizeResult RunOptimizePass(qv::TQVData& lib, qv::TQVData& plan, qv::TQVData& mosaic,
                                    const qv::TOptimizeSettings& s, const std::string& file);
// The pass's settings from the command's options: the rules, --seconds (0: until nothing
// improves), --seed, --candidates and --colour-weight.
qv::TOptimizeSettings OptimizeSettingsFromArgs(const Args& args, const qv::TCompositionSettings& rules);

}  // namespace qvcli

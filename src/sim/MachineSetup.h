// The lines of a simulator script that prepare the machine: files,
// registry values, a network drive, failing files, programs that fail to
// start; and the repeated blocks of a script.
#pragma once

#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"

namespace strevo {

// Handles one preparing line (its words and the line itself). False when the
// line is none of them; error says what is wrong with one that is.
bool PrepareMachine(FakePlatform& platform, const std::vector<std::string>& words, const std::string& line,
                    std::string& error);

// The script with each block "repeat N" ... "end" written out N times
// (blocks may nest); false and error for an unbalanced block, a bad count
// or a script that would grow past a hundred thousand lines.
bool ExpandRepeats(const std::vector<std::string>& lines, std::vector<std::string>& out, std::string& error);

}  // namespace strevo

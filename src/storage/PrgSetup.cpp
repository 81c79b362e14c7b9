#include "storage/PrgSetup.h"

namespace strevo {

std::unique_ptr<TProgramSettings> ProgramSettings;

}  // namespace strevo

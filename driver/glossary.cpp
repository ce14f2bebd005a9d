#include "driver/options.h"

namespace lcv {

bool readGlossaryStringsFile(const std::string& path, Dict& into, std::string& reason) {
    (void)path;
    (void)into;
    reason = "malformed";
    return false;
}

}  // namespace lcv

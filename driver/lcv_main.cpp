#include <string>
#include <vector>

#include "driver/run.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    return lcv::runLcv(args) & 0xFF;
}

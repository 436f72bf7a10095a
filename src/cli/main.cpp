// kelvo-cli: the scriptable front end to Kelvo's recorder drivers and files.
#include <iostream>
#include <string>
#include <vector>

#include "base/Delay.h"
#include "cli/KelvoCli.h"

int main(int argc, char** argv) {
    kelvo::setDelayScaleFromEnvironment();
    kelvo::cli::KelvoCli cli(std::cout, std::cerr);
    return cli.run(std::vector<std::string>(argv + 1, argv + argc));
}

// korvanta-report: the drawing half of `korvanta-cli report`. korvanta-cli
// replaces itself with this program for that command, so that its own start
// never loads Qt Gui and Widgets. Takes the report command's arguments.

#include "cli/report/ReportCommand.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return cli::writeReport(args, std::cout, std::cerr);
}

#include "cli/task_listing.h"
#include "platform/ssh_askpass.h"
#include "ui/application.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    // Started by ssh to ask one question: nothing else of the program starts.
    if (velmorane::platform::startedToAskForSsh(argc)) return velmorane::ui::askSshQuestion(argc, argv);
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::cout << velmorane::cli::usageText();
        return 0;
    }
    if (first == "--version" || first == "-V") {
        std::cout << "velmorane " VELMORANE_VERSION "\n";
        return 0;
    }
    if (first == "--liste") {
        if (argc != 3) {
            std::cerr << velmorane::cli::usageText();
            return 2;
        }
        return velmorane::cli::printTaskLists(argv[2], std::cout, std::cerr);
    }
    return velmorane::ui::runApplication(argc, argv);
}

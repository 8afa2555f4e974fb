#include "cli/options/HelpWriter.h"

#include "cli/options/CommandTable.h"

#include <algorithm>
#include <ostream>

#ifndef KV_VERSION
#define KV_VERSION "unknown"
#endif

namespace cli {

namespace {

// "  -o, --output FILE  meaning", the meaning's later lines under its first.
void printOption(std::ostream& out, const std::string& spelled, const std::string& help,
                 size_t column) {
    out << "  " << spelled << std::string(column - spelled.size(), ' ');
    for (char c : help) {
        out << c;
        if (c == '\n')
            out << std::string(column + 2, ' ');
    }
    out << '\n';
}

} // namespace

void HelpWriter::printOverview(std::ostream& out) {
    out << Message{"Usage: korvanta-cli COMMAND [OPTIONS] ARGS...\n"
                   "       korvanta-cli help COMMAND\n"
                   "Reads Paradox tables and keeps Korvanta data dictionaries without the "
                   "windows.\n"
                   "\nCommands:\n",
                   "Usage : korvanta-cli COMMANDE [OPTIONS] ARGUMENTS...\n"
                   "        korvanta-cli help COMMANDE\n"
                   "Lit des tables Paradox et tient des dictionnaires Korvanta sans les fenêtres.\n"
                   "\nCommandes :\n"}
               .text();
    for (const CommandSpec& c : commandTable())
        out << "  " << c.name << ' ' << c.synopsis << "\n      " << c.summary.text() << '\n';
    out << Message{"\nOptions:\n"
                   "  -h, --help    show this help and exit\n"
                   "  --version     show the version and exit\n"
                   "\n'korvanta-cli COMMAND --help' describes one command.\n",
                   "\nOptions :\n"
                   "  -h, --help    afficher cette aide et quitter\n"
                   "  --version     afficher la version et quitter\n"
                   "\n« korvanta-cli COMMANDE --help » décrit une commande.\n"}
               .text();
    printExitStatus(out, nullptr);
}

void HelpWriter::printCommand(std::ostream& out, const CommandSpec& command) {
    out << Message{"Usage: korvanta-cli ", "Usage : korvanta-cli "}.text() << command.name << ' '
        << command.synopsis << '\n';
    const std::string description = command.description.text() ? command.description.text() : "";
    out << (description.empty() ? std::string(command.summary.text()) + "\n" : description);
    printOptions(out, command);
    printExitStatus(out, &command);
}

void HelpWriter::printOptions(std::ostream& out, const CommandSpec& command) {
    const Message help = {"show this help and exit", "afficher cette aide et quitter"};
    const Message end = {"end of options: what follows are file names",
                         "fin des options : la suite est faite de noms de fichiers"};
    size_t column = std::string("-h, --help").size() + 2;
    for (const OptionSpec& o : command.options)
        column = std::max(column, o.spelled().size() + 2);
    out << Message{"\nOptions:\n", "\nOptions :\n"}.text();
    for (const OptionSpec& o : command.options)
        printOption(out, o.spelled(), o.help.text(), column);
    printOption(out, "-h, --help", help.text(), column);
    printOption(out, "--", end.text(), column);
}

void HelpWriter::printExitStatus(std::ostream& out, const CommandSpec* command) {
    out << Message{"\nExit status:\n", "\nCode de sortie :\n"}.text();
    if (command && command->exitStatus.english) {
        out << command->exitStatus.text();
        return;
    }
    out << Message{"  0  done\n"
                   "  1  some input was refused, unreadable or damaged (what could be read is\n"
                   "     still printed), or a write failed\n"
                   "  2  wrong command line\n",
                   "  0  fait\n"
                   "  1  une entrée a été refusée, était illisible ou abîmée (ce qui a pu être lu\n"
                   "     est quand même écrit), ou une écriture a échoué\n"
                   "  2  ligne de commande fausse\n"}
               .text();
}

void HelpWriter::printVersion(std::ostream& out) {
    out << "korvanta-cli " KV_VERSION "\n";
}

void HelpWriter::printTryHelp(std::ostream& err) {
    err << Message{"Try 'korvanta-cli --help' for more information.\n",
                   "Essayez « korvanta-cli --help » pour en savoir plus.\n"}
               .text();
}

} // namespace cli

#include "cli/options/ReferenceWriter.h"

#include "cli/options/CommandTable.h"

#include <ostream>
#include <string>
#include <vector>

namespace cli {

namespace {

// Text as roff shows it: a dash is a minus sign, a backslash is escaped, and no
// line starts with a request.
std::string roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '-' || c == '\\')
            out += '\\';
        out += c == '\n' ? ' ' : c;
        lineStart = false;
    }
    return out;
}

std::string manHeading(const OptionSpec& o) {
    std::string out;
    for (const std::string& name : o.names)
        out += (out.empty() ? "" : ", ") + std::string("\\fB") +
               roff((name.size() == 1 ? "-" : "--") + name) + "\\fR";
    if (o.takesValue())
        out += " \\fI" + roff(o.valueName) + "\\fR";
    return out;
}

// One option of the manual: the commands taking it, and what it does for each
// (commands whose help reads the same share a line).
struct ManEntry {
    const OptionSpec* option;
    std::vector<std::pair<std::string, std::string>> uses; // commands, help
};

std::vector<ManEntry> manEntries() {
    std::vector<ManEntry> entries;
    for (const CommandSpec& c : commandTable())
        for (const OptionSpec& o : c.options) {
            ManEntry* entry = nullptr;
            for (ManEntry& e : entries)
                if (e.option->spelled() == o.spelled())
                    entry = &e;
            if (!entry)
                entry = &entries.emplace_back(ManEntry{&o, {}});
            bool shared = false;
            for (auto& [commands, help] : entry->uses)
                if (help == o.help.english) {
                    commands += std::string(", ") + c.name;
                    shared = true;
                }
            if (!shared)
                entry->uses.emplace_back(c.name, o.help.english);
        }
    return entries;
}

void writeCompletionCase(std::ostream& out, const CommandSpec& c, const OptionSpec& o) {
    std::string patterns;
    for (const std::string& name : o.names)
        patterns += (patterns.empty() ? "\"" : "|\"") + std::string(c.name) + ' ' +
                    (name.size() == 1 ? "-" : "--") + name + '"';
    out << "    " << patterns << ")\n        ";
    switch (o.kind) {
    case ValueKind::Choice: {
        std::string words;
        for (const std::string& choice : o.choices)
            words += (words.empty() ? "" : " ") + choice;
        out << "COMPREPLY=($(compgen -W '" << words << "' -- \"$cur\"))";
        break;
    }
    case ValueKind::Folder:
        out << "COMPREPLY=($(compgen -d -- \"$cur\"))";
        break;
    case ValueKind::File:
        out << "COMPREPLY=($(compgen -f -- \"$cur\"))";
        break;
    default:
        out << "COMPREPLY=()";
    }
    out << "\n        return ;;\n";
}

} // namespace

void ReferenceWriter::writeManOptions(std::ostream& out) {
    out << ".SH OPTIONS\n";
    for (const ManEntry& e : manEntries()) {
        out << ".TP\n" << manHeading(*e.option) << '\n';
        for (size_t i = 0; i < e.uses.size(); ++i)
            out << (i ? ".br\n(" : "(") << e.uses[i].first << ") " << roff(e.uses[i].second)
                << ".\n";
    }
    out << ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n"
           "Print the list of commands, or after a command that command's help, and exit.\n"
           ".TP\n\\fB\\-\\-version\\fR\nPrint the version and exit.\n"
           ".TP\n\\fB\\-\\-\\fR\nEnd of options: what follows are file names.\n"
           ".PP\nAn option's value follows it as the next argument or after \\fB=\\fR "
           "(\\fB\\-\\-code\\-page=850\\fR, \\fB\\-o=\\fR\\fIFILE\\fR); options may come "
           "before, between or after the file names.\n";
}

void ReferenceWriter::writeBashCompletion(std::ostream& out) {
    std::string commands;
    for (const CommandSpec& c : commandTable())
        commands += std::string(c.name) + ' ';
    out << "# bash completion for korvanta-cli, written by korvanta-cli --generate "
           "bash-completion\n"
           "_korvanta_cli() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
           "        COMPREPLY=($(compgen -W '"
        << commands
        << "help --help --version' -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    local command=${COMP_WORDS[1]}\n"
           "    if [ \"$command\" = help ]; then\n"
           "        COMPREPLY=($(compgen -W '"
        << commands
        << "' -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    case \"$command $prev\" in\n";
    for (const CommandSpec& c : commandTable())
        for (const OptionSpec& o : c.options)
            if (o.takesValue())
                writeCompletionCase(out, c, o);
    out << "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        case $command in\n";
    for (const CommandSpec& c : commandTable()) {
        out << "        " << c.name << ") COMPREPLY=($(compgen -W '";
        for (const OptionSpec& o : c.options)
            for (const std::string& name : o.names)
                out << (name.size() == 1 ? "-" : "--") << name << ' ';
        out << "--help' -- \"$cur\")) ;;\n";
    }
    out << "        esac\n"
           "        return\n"
           "    fi\n"
           "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "}\n"
           "complete -o filenames -F _korvanta_cli korvanta-cli\n";
}

} // namespace cli

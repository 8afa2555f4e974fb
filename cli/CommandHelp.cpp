#include "cli/CommandHelp.h"

#include <map>

namespace cli {

namespace {

struct HelpText {
    const char* description;
    const char* options;
};

const std::map<std::string, HelpText>& helpTexts() {
    static const std::map<std::string, HelpText> texts = {
        {"info",
         {"Prints, for each table, its file level, code page, sort order, row count, fields\n"
          "and indexes. A table that cannot be read is reported and the others still are.\n",
          "  --json        one JSON object per table, one per line\n"}},
        {"rows",
         {"Prints every row of one table in the order its data blocks chain them.\n",
          "  --json        one JSON object per row, one per line\n"}},
        {"code",
         {"Writes the code that recreates each table: its fields, primary index and\n"
          "secondary indexes. Lines end with CR LF.\n",
          "  -o FILE       write to FILE instead of standard output\n"}},
        {"capture",
         {"Captures the structure of each table into the dictionary DICT.db, as the\n"
          "window's add command does. A table whose name the dictionary already holds is\n"
          "refused; the others are still captured.\n",
          "  --create      make an empty dictionary first when DICT.db does not exist\n"
          "  --code FILE   also append the table-creation code of each captured table to FILE\n"}},
        {"list",
         {"Prints every row of a dictionary, table entries and field entries, in row\n"
          "number order.\n",
          "  --json        one JSON object per row, one per line\n"}},
        {"report",
         {"Writes the dictionary report, laid out as the print command lays it out, to a\n"
          "PDF file with its fonts embedded. Needs no display.\n",
          "  -o FILE       the PDF file to write (written aside, then renamed into place)\n"
          "  --lang fr|en  the language of the page footer (French when not given)\n"}},
    };
    return texts;
}

} // namespace

std::string commandOptionsHelp(const std::string& name) {
    auto it = helpTexts().find(name);
    return it == helpTexts().end() ? std::string() : it->second.options;
}

std::string commandDescription(const std::string& name) {
    auto it = helpTexts().find(name);
    return it == helpTexts().end() ? std::string() : it->second.description;
}

} // namespace cli

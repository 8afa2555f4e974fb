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
          "  --json        one JSON object per table, one per line\n"
          "  --code-page N read the text in code page N instead of the header's\n"}},
        {"rows",
         {"Prints every row of one table in the order its data blocks chain them.\n"
          "BLOBs, bytes and formatted memos are given in base64.\n",
          "  --json        one JSON object per row, one per line\n"
          "  --code-page N read the text in code page N instead of the header's\n"}},
        {"code",
         {"Writes the code that recreates each table: its fields, primary index and\n"
          "secondary indexes. Lines end with CR LF. A file gets the code window's bytes:\n"
          "Windows-1252, or UTF-8 with a byte-order mark when 1252 cannot hold the text;\n"
          "standard output gets UTF-8.\n"
          "Given a dictionary, the code comes from the fields and indexes it recorded, for\n"
          "every table or those named. A dictionary cannot know a name longer than its 12\n"
          "characters, nor the options of an index whose label it inherited from the index\n"
          "before it: such an index is written without options.\n",
          "  -o FILE       write to FILE instead of standard output (- for standard output;\n"
          "                a pipe or device is written to, a link's file replaced)\n"}},
        {"capture",
         {"Captures the structure of each table into the dictionary DICT.db, as the\n"
          "window's add command does. A table whose name the dictionary already holds is\n"
          "refused; the others are still captured.\n",
          "  --create      make an empty dictionary first when DICT.db does not exist\n"
          "  --code FILE   also write the table-creation code of the captured tables to FILE,\n"
          "                in the same bytes as code -o FILE (- for standard output)\n"}},
        {"list",
         {"Prints every row of a dictionary, table entries and field entries, in row\n"
          "number order.\n",
          "  --json        one JSON object per row, one per line\n"}},
        {"report",
         {"Writes the dictionary report, laid out as the print command lays it out, to a\n"
          "PDF file with its fonts embedded. Needs no display.\n",
          "  -o FILE       the PDF file to write (written aside, then renamed into place)\n"
          "  --lang fr|en  the language of the page footer (French when not given)\n"}},
        {"ddl",
         {"Writes CREATE TABLE statements (primary key included) and CREATE INDEX\n"
          "statements for every table a dictionary recorded, with its descriptions\n"
          "(COMMENT ON in PostgreSQL, SQL comments in SQLite), or for live tables with\n"
          "their exact types. A single operand holding the dictionary's fields is read as\n"
          "a dictionary. From a dictionary alone, an index is declared with the options\n"
          "its label surely gives it (a label may be inherited from the index before).\n"
          "Live tables or columns that the dialect would take for one are refused.\n",
          "  --dialect D        sqlite or postgresql\n"
          "  --rename-clashes   name the later ones NAME_2, NAME_3... (reported)\n"
          "  --dictionary DICT  the descriptions this dictionary recorded for the tables\n"}},
        {"export",
         {"Copies every row of each table, memos and BLOBs included, into an SQLite\n"
          "database (one transaction per table), into a script of COPY blocks that psql\n"
          "loads in one transaction, stopping at the first error, or into one CSV file per\n"
          "table (RFC 4180, UTF-8, CR LF, a line of field names, BLOBs in base64, NULL as\n"
          "an empty field). Tables or columns that the target would take for one (SQLite\n"
          "ignores ASCII letter case, PostgreSQL keeps 63 bytes of a name) refuse the run\n"
          "before anything is written; so does, for SQLite and CSV, a table or file already\n"
          "there (the script then stops at its CREATE TABLE). A table that cannot be read\n"
          "is named and the others still go. A progress bar shows on a terminal.\n",
          "  --sqlite FILE      the SQLite database to fill (created when missing)\n"
          "  --postgresql FILE  the SQL script to write (written aside, then renamed; - for\n"
          "                     standard output, the row counts then going to standard\n"
          "                     error; a pipe or device is written to directly)\n"
          "  --csv DIR          the folder of the CSV files (made when missing)\n"
          "  --rename-clashes   name the later tables or columns NAME_2, NAME_3...\n"
          "  --replace          drop a table of the same name (in the same transaction),\n"
          "                     or replace a CSV file of the same name\n"
          "  --data-only        only the rows, into tables already there\n"
          "  --schema-only      only the tables and their indexes, no rows\n"
          "  --dictionary DICT  the descriptions this dictionary recorded, as comments\n"
          "  --code-page N      read the text in code page N instead of the header's\n"}},
        {"check",
         {"Compares what the dictionary recorded with the tables now: tables added or\n"
          "missing, fields added, removed, retyped or resized, indexes added, removed or\n"
          "changed. Given a folder, a recorded table absent from it is missing. The exit\n"
          "status is 1 on any difference.\n",
          "  --json        one JSON object per difference, one per line\n"}},
        {"doc",
         {"Writes the dictionary as a document: a table of contents, then each table with\n"
          "its description, fields (type, size, description) and indexes.\n",
          "  -o FILE       the document: HTML for .html, Markdown for .md; - writes\n"
          "                Markdown to standard output (so does a pipe or device)\n"}},
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

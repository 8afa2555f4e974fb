#include "cli/options/CommandTable.h"

#include <algorithm>

namespace cli {

namespace {

// The options several commands share, so that each reads the same everywhere.
OptionSpec json(Message help) {
    return {{"json"}, ValueKind::None, "", {}, false, help};
}

OptionSpec codePage() {
    return {{"code-page"},
            ValueKind::Number,
            "N",
            {},
            false,
            {"read the text in code page N instead of the header's",
             "lire le texte dans la page de codes N plutôt que celle de l'en-tête"}};
}

OptionSpec output(bool required, Message help) {
    return {{"o", "output"}, ValueKind::File, "FILE", {}, required, help};
}

OptionSpec dictionary() {
    return {{"dictionary"},
            ValueKind::File,
            "DICT.db",
            {},
            false,
            {"the descriptions this dictionary recorded for the tables",
             "les descriptions que ce dictionnaire a gardées des tables"}};
}

OptionSpec renameClashes() {
    return {{"rename-clashes"},
            ValueKind::None,
            "",
            {},
            false,
            {"name the later tables or columns NAME_2, NAME_3... (reported)",
             "nommer les tables ou colonnes suivantes NOM_2, NOM_3... (signalé)"}};
}

OptionSpec flag(const char* name, Message help) {
    return {{name}, ValueKind::None, "", {}, false, help};
}

OptionSpec target(const char* name, ValueKind kind, const char* value, Message help) {
    return {{name}, kind, value, {}, false, help};
}

const std::vector<CommandSpec>& commands() {
    static const std::vector<CommandSpec> table = {
        {"info",
         "[--json] TABLE.db...",
         {"structure of each table: level, code page, sort order, rows, fields, indexes",
          "structure de chaque table : niveau, page de codes, ordre de tri, lignes, champs, "
          "index"},
         {"Prints, for each table, its file level, code page, sort order, row count, fields\n"
          "and indexes. A table that cannot be read is reported and the others still are.\n",
          "Écrit, pour chaque table, son niveau de fichier, sa page de codes, son ordre de tri,\n"
          "son nombre de lignes, ses champs et ses index. Une table illisible est signalée et\n"
          "les autres sont écrites quand même.\n"},
         {json({"one JSON object per table, one per line", "un objet JSON par table et par ligne"}),
          codePage()},
         1,
         size_t(-1),
         {"no table given", "aucune table donnée"}},
        {"rows",
         "[--json] TABLE.db",
         {"every row of a table in the order its blocks chain them",
          "chaque ligne d'une table dans l'ordre où ses blocs les chaînent"},
         {"Prints every row of one table in the order its data blocks chain them.\n"
          "BLOBs, bytes and formatted memos are given in base64.\n",
          "Écrit chaque ligne d'une table dans l'ordre où ses blocs de données les chaînent.\n"
          "Les BLOB, les octets et les mémos formatés sont donnés en base64.\n"},
         {json({"one JSON object per row, one per line", "un objet JSON par ligne"}), codePage()},
         1,
         1,
         {"give exactly one table", "donnez une seule table"}},
        {"code",
         "(TABLE.db... | DICT.db [TABLE...]) [-o FILE]",
         {"table-creation code of each table, lines ended by CR LF",
          "code de création de chaque table, lignes terminées par CR LF"},
         {"Writes the code that recreates each table: its fields, primary index and\n"
          "secondary indexes. Lines end with CR LF. A file gets the code window's bytes:\n"
          "Windows-1252, or UTF-8 with a byte-order mark when 1252 cannot hold the text;\n"
          "standard output gets UTF-8.\n"
          "Given a dictionary, the code comes from the fields and indexes it recorded, for\n"
          "every table or those named. A dictionary cannot know a name longer than its 12\n"
          "characters, nor the options of an index whose label it inherited from the index\n"
          "before it: such an index is written without options.\n",
          "Écrit le code qui recrée chaque table : ses champs, son index primaire et ses\n"
          "index secondaires. Les lignes finissent par CR LF. Un fichier reçoit les octets de\n"
          "la fenêtre de code : Windows-1252, ou UTF-8 précédé d'une marque d'ordre quand 1252\n"
          "ne peut pas tenir le texte ; la sortie standard reçoit de l'UTF-8.\n"
          "À partir d'un dictionnaire, le code vient des champs et des index qu'il a gardés,\n"
          "pour chaque table ou celles nommées. Un dictionnaire ne connaît pas un nom de plus\n"
          "de 12 caractères, ni les options d'un index dont il a hérité le libellé de l'index\n"
          "précédent : un tel index est écrit sans options.\n"},
         {output(false,
                 {"write to FILE instead of standard output (- for standard output;\n"
                  "a pipe or device is written to, a link's file replaced)",
                  "écrire dans FILE plutôt que sur la sortie standard (- pour la sortie\n"
                  "standard ; un tube ou un périphérique reçoit le texte, le fichier d'un lien\n"
                  "est remplacé)"})},
         1,
         size_t(-1),
         {"give at least one table", "donnez au moins une table"}},
        {"capture",
         "DICT.db TABLE.db... [--create] [--code FILE]",
         {"captures each table into a dictionary, as the add command does",
          "capture chaque table dans un dictionnaire, comme la commande d'ajout"},
         {"Captures the structure of each table into the dictionary DICT.db, as the\n"
          "window's add command does. A table whose name the dictionary already holds is\n"
          "refused; the others are still captured.\n",
          "Capture la structure de chaque table dans le dictionnaire DICT.db, comme la\n"
          "commande d'ajout de la fenêtre. Une table dont le dictionnaire a déjà le nom est\n"
          "refusée ; les autres sont capturées quand même.\n"},
         {flag("create", {"make an empty dictionary first when DICT.db does not exist",
                          "créer d'abord un dictionnaire vide quand DICT.db n'existe pas"}),
          target("code", ValueKind::File, "FILE",
                 {"also write the table-creation code of the captured tables to FILE,\n"
                  "in the same bytes as code -o FILE (- for standard output)",
                  "écrire aussi le code de création des tables capturées dans FILE, avec\n"
                  "les mêmes octets que code -o FILE (- pour la sortie standard)"})},
         1,
         size_t(-1),
         {"give a dictionary and at least one table",
          "donnez un dictionnaire et au moins une table"}},
        {"list",
         "[--json] DICT.db",
         {"every row of a dictionary in number order",
          "chaque ligne d'un dictionnaire dans l'ordre des numéros"},
         {"Prints every row of a dictionary, table entries and field entries, in row\n"
          "number order.\n",
          "Écrit chaque ligne d'un dictionnaire, entrées de table et entrées de champ, dans\n"
          "l'ordre de leurs numéros.\n"},
         {json({"one JSON object per row, one per line", "un objet JSON par ligne"})},
         1,
         1,
         {"give exactly one dictionary", "donnez un seul dictionnaire"}},
        {"report",
         "DICT.db -o FILE.pdf [--lang fr|en]",
         {"the printed dictionary as a PDF file, as the print command lays it out",
          "le dictionnaire imprimé dans un fichier PDF, mis en page comme à l'impression"},
         {"Writes the dictionary report, laid out as the print command lays it out, to a\n"
          "PDF file with its fonts embedded. Needs no display.\n",
          "Écrit l'état du dictionnaire, mis en page comme par la commande d'impression, dans\n"
          "un fichier PDF qui embarque ses polices. Ne demande pas d'écran.\n"},
         {output(true, {"the PDF file to write (written aside, then renamed into place)",
                        "le fichier PDF à écrire (écrit à côté, puis renommé à sa place)"}),
          {{"lang"},
           ValueKind::Choice,
           "fr|en",
           {"fr", "en"},
           false,
           {"the language of the page footer (French when not given)",
            "la langue du pied de page (français par défaut)"}}},
         1,
         1,
         {"give one dictionary and -o FILE.pdf", "donnez un dictionnaire et -o FICHIER.pdf"}},
        {"ddl",
         "--dialect sqlite|postgresql (DICT.db | [--rename-clashes] [--dictionary DICT.db] "
         "TABLE.db...)",
         {"SQL statements that create the tables", "instructions SQL qui créent les tables"},
         {"Writes CREATE TABLE statements (primary key included) and CREATE INDEX\n"
          "statements for every table a dictionary recorded, with its descriptions\n"
          "(COMMENT ON in PostgreSQL, SQL comments in SQLite), or for live tables with\n"
          "their exact types. A single operand holding the dictionary's fields is read as\n"
          "a dictionary. From a dictionary alone, an index is declared with the options\n"
          "its label surely gives it (a label may be inherited from the index before).\n"
          "Live tables or columns that the dialect would take for one are refused.\n",
          "Écrit les instructions CREATE TABLE (clé primaire comprise) et CREATE INDEX de\n"
          "chaque table qu'un dictionnaire a gardée, avec ses descriptions (COMMENT ON en\n"
          "PostgreSQL, commentaires SQL en SQLite), ou de tables réelles avec leurs types\n"
          "exacts. Un seul opérande qui porte les champs d'un dictionnaire est lu comme un\n"
          "dictionnaire. À partir d'un dictionnaire seul, un index est déclaré avec les\n"
          "options que son libellé lui donne sûrement (un libellé peut venir de l'index\n"
          "précédent). Des tables ou colonnes réelles que le dialecte confondrait sont\n"
          "refusées.\n"},
         {{{"dialect"},
           ValueKind::Choice,
           "D",
           {"sqlite", "postgresql", "sqlite3", "postgres", "pg"},
           true,
           {"sqlite or postgresql (letter case ignored)",
            "sqlite ou postgresql (casse indifférente)"}},
          renameClashes(),
          dictionary()},
         1,
         size_t(-1),
         {"no dictionary or table given", "aucun dictionnaire ni table donné"}},
        {"export",
         "(--sqlite OUT.db | --postgresql OUT.sql | --csv DIR) [--rename-clashes] [--replace] "
         "[--data-only | --schema-only] [--dictionary DICT.db] [--code-page N] TABLE.db...",
         {"every row of each table into SQLite or a PostgreSQL COPY script",
          "chaque ligne de chaque table vers SQLite ou un script COPY pour PostgreSQL"},
         {"Copies every row of each table, memos and BLOBs included, into an SQLite\n"
          "database (one transaction per table), into a script of COPY blocks that psql\n"
          "loads in one transaction, stopping at the first error, or into one CSV file per\n"
          "table (RFC 4180, UTF-8, CR LF, a line of field names, BLOBs in base64, NULL as\n"
          "an empty field). Tables or columns that the target would take for one (SQLite\n"
          "ignores ASCII letter case, PostgreSQL keeps 63 bytes of a name) refuse the run\n"
          "before anything is written; so does, for SQLite and CSV, a table or file already\n"
          "there (the script then stops at its CREATE TABLE). A table that cannot be read\n"
          "is named and the others still go. A progress bar shows on a terminal.\n",
          "Copie chaque ligne de chaque table, mémos et BLOB compris, dans une base SQLite\n"
          "(une transaction par table), dans un script de blocs COPY que psql charge en une\n"
          "transaction en s'arrêtant à la première erreur, ou dans un fichier CSV par table\n"
          "(RFC 4180, UTF-8, CR LF, une ligne de noms de champs, BLOB en base64, NULL en champ\n"
          "vide). Des tables ou colonnes que la cible confondrait (SQLite ignore la casse\n"
          "ASCII, PostgreSQL garde 63 octets d'un nom) refusent l'exécution avant toute\n"
          "écriture ; de même, pour SQLite et CSV, une table ou un fichier déjà là (le script\n"
          "s'arrête alors à son CREATE TABLE). Une table illisible est nommée et les autres\n"
          "passent quand même. Une barre de progression s'affiche sur un terminal.\n"},
         {target("sqlite", ValueKind::File, "FILE",
                 {"the SQLite database to fill (created when missing)",
                  "la base SQLite à remplir (créée si elle manque)"}),
          target("postgresql", ValueKind::File, "FILE",
                 {"the SQL script to write (written aside, then renamed; - for\n"
                  "standard output, the row counts then going to standard\n"
                  "error; a pipe or device is written to directly)",
                  "le script SQL à écrire (écrit à côté, puis renommé ; - pour la\n"
                  "sortie standard, les nombres de lignes allant alors sur l'erreur\n"
                  "standard ; un tube ou un périphérique reçoit le texte directement)"}),
          target("csv", ValueKind::Folder, "DIR",
                 {"the folder of the CSV files (made when missing)",
                  "le dossier des fichiers CSV (créé s'il manque)"}),
          renameClashes(),
          flag("replace", {"drop a table of the same name (in the same transaction),\n"
                           "or replace a CSV file of the same name",
                           "supprimer une table du même nom (dans la même transaction),\n"
                           "ou remplacer un fichier CSV du même nom"}),
          flag("data-only", {"only the rows, into tables already there",
                             "seulement les lignes, dans des tables déjà là"}),
          flag("schema-only", {"only the tables and their indexes, no rows",
                               "seulement les tables et leurs index, sans lignes"}),
          dictionary(), codePage()},
         1,
         size_t(-1),
         {"no table given", "aucune table donnée"}},
        {"check",
         "[--json] DICT.db (DIR | TABLE.db...)",
         {"differences between a dictionary and the tables as they are now",
          "différences entre un dictionnaire et les tables telles qu'elles sont"},
         {"Compares what the dictionary recorded with the tables now: tables added or\n"
          "missing, fields added, removed, retyped or resized, indexes added, removed or\n"
          "changed. Given a folder, a recorded table absent from it is missing.\n",
          "Compare ce que le dictionnaire a gardé avec les tables telles qu'elles sont :\n"
          "tables ajoutées ou manquantes, champs ajoutés, retirés, retypés ou redimensionnés,\n"
          "index ajoutés, retirés ou changés. Pour un dossier, une table gardée qui n'y est\n"
          "pas manque.\n"},
         {json({"one JSON object per difference, one per line",
                "un objet JSON par différence et par ligne"})},
         2,
         size_t(-1),
         {"give a dictionary and a folder or tables",
          "donnez un dictionnaire et un dossier ou des tables"},
         {"  0  the dictionary still tells the truth\n"
          "  1  differences were found\n"
          "  2  trouble: a wrong command line, or a dictionary or table that cannot be read\n",
          "  0  le dictionnaire dit toujours vrai\n"
          "  1  des différences ont été trouvées\n"
          "  2  problème : ligne de commande fausse, dictionnaire ou table illisible\n"}},
        {"doc",
         "DICT.db -o FILE.html|FILE.md|-",
         {"the dictionary as an HTML or Markdown document",
          "le dictionnaire en document HTML ou Markdown"},
         {"Writes the dictionary as a document: a table of contents, then each table with\n"
          "its description, fields (type, size, description) and indexes.\n",
          "Écrit le dictionnaire en document : une table des matières, puis chaque table avec\n"
          "sa description, ses champs (type, taille, description) et ses index.\n"},
         {output(true, {"the document: HTML for .html, Markdown for .md; - writes\n"
                        "Markdown to standard output (so does a pipe or device)",
                        "le document : HTML pour .html, Markdown pour .md ; - écrit du\n"
                        "Markdown sur la sortie standard (un tube ou un périphérique aussi)"})},
         1,
         1,
         {"give exactly one dictionary", "donnez un seul dictionnaire"}},
        {"verify",
         "TABLE.db...",
         {"whether the files of each table are whole",
          "si les fichiers de chaque table sont entiers"},
         {"Checks each table's files as they are on disk: the block chain (every row once,\n"
          "keys in order, no empty block), the header's counts, the free blocks, the memos\n"
          "and BLOBs the rows refer to and, unless the table says they are to be rebuilt,\n"
          "the index files against the rows. One line per damage: the file, then what is\n"
          "wrong.\n",
          "Vérifie les fichiers de chaque table tels qu'ils sont sur le disque : la chaîne des\n"
          "blocs (chaque ligne une fois, clés en ordre, aucun bloc vide), les comptes de\n"
          "l'en-tête, les blocs libres, les mémos et BLOB cités par les lignes et, sauf si la\n"
          "table les dit à reconstruire, les fichiers d'index face aux lignes. Une ligne par\n"
          "dommage : le fichier, puis ce qui ne va pas.\n"},
         {},
         1,
         size_t(-1),
         {"no table given", "aucune table donnée"},
         {"  0  every table is whole\n"
          "  1  damage was found\n"
          "  2  trouble: a wrong command line, or a table that cannot be read at all\n",
          "  0  chaque table est entière\n"
          "  1  des dommages ont été trouvés\n"
          "  2  problème : ligne de commande fausse, ou table illisible\n"}},
    };
    return table;
}

} // namespace

std::span<const CommandSpec> commandTable() {
    return commands();
}

const CommandSpec* findCommand(const std::string& name) {
    const auto& table = commands();
    auto it = std::find_if(table.begin(), table.end(),
                           [&](const CommandSpec& c) { return name == c.name; });
    return it == table.end() ? nullptr : &*it;
}

} // namespace cli

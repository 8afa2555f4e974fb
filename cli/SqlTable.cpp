#include "cli/SqlTable.h"

#include "cli/RecordedTable.h"

#include "cli/PictureRegex.h"

#include "engine/TableFile.h"
#include "engine/ValidityFile.h"
#include "framework/dataset/NativePath.h"

#include <map>
#include <sstream>
#include <strings.h>

namespace cli {

namespace {

using engine::FieldType;

std::vector<std::string> splitFields(const std::string& list) {
    std::vector<std::string> out;
    std::stringstream in(list);
    std::string name;
    while (std::getline(in, name, ';'))
        if (!name.empty())
            out.push_back(name);
    return out;
}

// The type texts a capture records ("ft" names without their prefix) back to the
// Paradox types they come from. Types a Paradox table cannot hold fall back to bytes.
FieldType typeOfRecordedText(const QString& text) {
    static const std::map<QString, FieldType> types = {
        {QStringLiteral("String"), FieldType::Alpha},
        {QStringLiteral("SmallInt"), FieldType::Short},
        {QStringLiteral("Integer"), FieldType::Long},
        {QStringLiteral("Word"), FieldType::Long},
        {QStringLiteral("Boolean"), FieldType::Logical},
        {QStringLiteral("Float"), FieldType::Number},
        {QStringLiteral("Currency"), FieldType::Money},
        {QStringLiteral("BCD"), FieldType::Bcd},
        {QStringLiteral("Date"), FieldType::Date},
        {QStringLiteral("Time"), FieldType::Time},
        {QStringLiteral("DateTime"), FieldType::Timestamp},
        {QStringLiteral("Bytes"), FieldType::Bytes},
        {QStringLiteral("VarBytes"), FieldType::Bytes},
        {QStringLiteral("AutoInc"), FieldType::AutoInc},
        {QStringLiteral("BLOB"), FieldType::Blob},
        {QStringLiteral("Memo"), FieldType::Memo},
        {QStringLiteral("Graphic"), FieldType::Graphic},
        {QStringLiteral("FmtMemo"), FieldType::FmtMemo},
        {QStringLiteral("ParadoxOle"), FieldType::Ole},
        {QStringLiteral("DBaseOle"), FieldType::Ole},
    };
    auto it = types.find(text);
    return it == types.end() ? FieldType::Blob : it->second;
}

// A dictionary keeps one option name per index (see capture's OptionLabel).
unsigned optionsOfLabel(const QString& label, bool primary) {
    if (primary)
        return engine::ixPrimary | engine::ixUnique;
    if (label == QLatin1String("ixUnique"))
        return engine::ixUnique;
    if (label == QLatin1String("ixDescending"))
        return engine::ixDescending;
    if (label == QLatin1String("ixCaseInsensitive"))
        return engine::ixCaseInsensitive;
    if (label == QLatin1String("ixExpression"))
        return engine::ixExpression;
    return 0;
}

int columnSize(const engine::FieldInfo& f) {
    switch (f.type) {
    case FieldType::Alpha:
    case FieldType::Bytes:
    case FieldType::Bcd:
        return f.size;
    default:
        return -1;
    }
}

std::string text(const std::optional<QString>& s) {
    return s ? s->toStdString() : std::string();
}

SqlColumn recordedColumn(const store::DicoRow& row) {
    SqlColumn c;
    c.name = text(row.champ);
    c.type = typeOfRecordedText(row.type.value_or(QString()));
    // Only a string's length survives in a dictionary: other types record 10 or 0.
    if (c.type == FieldType::Alpha && row.longueur && *row.longueur > 0)
        c.size = *row.longueur;
    c.description = text(row.description);
    return c;
}

// Bounds and pictures become CHECKs; a picture only on an Alpha field, whose stored
// text is what the user typed: the text of a number or a date is not.
void addChecks(SqlTable& t, const engine::FieldCheck& c, FieldType type) {
    const std::vector<int> at{c.field};
    if (c.required)
        t.rules.push_back({SqlRule::Kind::Required, at});
    if (c.minimum)
        t.rules.push_back({SqlRule::Kind::Minimum, at, *c.minimum});
    if (c.maximum)
        t.rules.push_back({SqlRule::Kind::Maximum, at, *c.maximum});
    if (!c.picture.empty()) {
        SqlRule picture{SqlRule::Kind::Picture, at, {}, c.picture};
        if (type == FieldType::Alpha)
            picture.regex = pictureRegex(c.picture);
        if (!picture.regex)
            picture.commentOnly = type == FieldType::Alpha ? "masque non traduisible"
                                                           : "masque sur un champ non texte";
        t.rules.push_back(picture);
    }
    t.columns[size_t(c.field)].defaultValue = c.defaultValue;
}

// Lookups and links name their other table; the plan decides what they become. A
// lookup on the field of a link to the same table says nothing more, and its foreign
// key, without the link's rule on update, would refuse what the link cascades.
void addReferences(SqlTable& t) {
    for (const engine::TableLink& l : t.validity.references) {
        SqlRule r{SqlRule::Kind::Reference, l.fields};
        r.linkName = l.name;
        r.otherFile = l.file;
        r.otherName = l.table;
        r.parentColumns = l.tableFields;
        r.cascade = l.cascade;
        t.rules.push_back(r);
    }
    for (const engine::FieldCheck& c : t.validity.checks) {
        if (!c.lookup)
            continue;
        SqlRule r{SqlRule::Kind::Reference, {c.field}};
        r.otherFile = c.lookup->file;
        r.otherName = c.lookup->table;
        r.parentColumns = {0};
        r.lookup = true;
        for (const engine::TableLink& l : t.validity.references)
            if (l.fields == r.columns && !l.file.empty() && l.file == r.otherFile)
                r.commentOnly = "couverte par le lien « " + l.name + " »";
        t.rules.push_back(r);
    }
}

} // namespace

std::string SqlTable::ruleName(const SqlRule& rule) const {
    static const char* const suffixes[] = {"required", "min", "max", "picture", "fkey"};
    const std::string& what =
        !rule.linkName.empty() ? rule.linkName : columns[size_t(rule.columns[0])].name;
    return name + '_' + what + '_' + suffixes[int(rule.kind)];
}

std::string SqlTable::nameOfFile(const std::string& fileName) {
    std::string name = fileName;
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 &&
        strncasecmp(name.c_str() + dot, ".db", name.size() - dot) == 0)
        name.erase(dot);
    return name;
}

std::string SqlTable::readableFileName(const std::filesystem::path& file) {
    return dataset::readableName(dataset::fromNativePath(file.filename())).toStdString();
}

SqlTable SqlTable::fromTable(const engine::TableFile& table) {
    SqlTable t;
    t.name = nameOfFile(readableFileName(table.path()));
    t.lastCounter = table.lastAutoIncrement();
    for (const engine::FieldInfo& f : table.fields())
        t.columns.push_back({f.name, f.type, columnSize(f), {}, {}});
    t.file = table.path().string();
    t.validity = engine::ValidityFile::readBeside(table);
    for (const engine::FieldCheck& c : t.validity.checks)
        addChecks(t, c, table.fields()[size_t(c.field)].type);
    addReferences(t);
    for (const engine::IndexInfo& ix : table.indexes())
        t.indexes.push_back({(ix.options & engine::ixPrimary) ? std::string() : ix.name,
                             splitFields(ix.fields),
                             ix.options,
                             {}});
    return t;
}

SqlTable SqlTable::fromRecorded(const RecordedTable& recorded) {
    SqlTable t;
    t.name = nameOfFile(recorded.entry.table.toStdString());
    t.description = text(recorded.entry.description);
    for (const store::DicoRow& row : recorded.fields)
        t.columns.push_back(recordedColumn(row));
    // A label the index may have inherited from the index before it (from the last
    // index of the table captured before, for the first one) says nothing of its own
    // options: such an index is declared without any (never UNIQUE).
    std::optional<QString> previousLabel;
    for (const store::DicoRow& row : recorded.indexes) {
        const std::string name = text(row.champ);
        // The primary index is the one without a name (secondary indexes are named
        // after their field or by their creator).
        const bool primary = name.empty() && t.indexes.empty();
        const QString label = row.type.value_or(QString());
        const bool own = primary || (previousLabel && label != *previousLabel);
        t.indexes.push_back({name,
                             splitFields(text(row.description)),
                             own ? optionsOfLabel(label, primary) : 0u,
                             {}});
        previousLabel = label;
    }
    return t;
}

const SqlIndex* SqlTable::primaryKey() const {
    for (const SqlIndex& ix : indexes)
        if (ix.has(engine::ixPrimary))
            return &ix;
    return nullptr;
}

const SqlColumn* SqlTable::column(const std::string& wanted) const {
    for (const SqlColumn& c : columns)
        if (strcasecmp(c.name.c_str(), wanted.c_str()) == 0)
            return &c;
    return nullptr;
}

} // namespace cli

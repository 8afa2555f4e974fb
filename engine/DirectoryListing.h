#pragma once
// The plain files of a directory, listed once per process and listed again only
// when the directory changed. Opening a table looks for its companion files (.PX,
// .MB, .Xnn, .XGn) in any letter case; listing the directory for each table made
// opening many tables of one directory cost as much as the listings.

#include <filesystem>
#include <string_view>
#include <vector>

namespace engine {

class DirectoryListing {
public:
    // The plain files of dir (full paths) whose name without its extension is
    // `stem` in any letter case.
    static std::vector<std::filesystem::path> filesOfStem(const std::filesystem::path& dir,
                                                          std::string_view stem);
    // The file of dir named `name` in any letter case; an empty path when none is.
    static std::filesystem::path findNoCase(const std::filesystem::path& dir,
                                            std::string_view name);

private:
    template <class Visit> static void visitFiles(const std::filesystem::path& dir, Visit visit);
};

} // namespace engine

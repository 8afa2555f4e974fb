#pragma once
// The files a rollback journal may restore: those of its own table's family, named
// by their role, never by a path. The file a role stands for is found from the
// table's own name, so a journal cannot reach any other file of the folder.
//
//   Role code  File            Number
//   1          the table .DB   0
//   2          .MB             0
//   3          .PX             0
//   4          .Xnn            1..255 (two hex digits)
//   5          .Ynn            1..255 (two hex digits)
//   6          .XGn            0..35 (one digit or letter)
//   7          .YGn            0..35 (one digit or letter)

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace engine {

enum class FamilyRole : uint16_t {
    Table = 1,
    Blob = 2,
    PrimaryIndex = 3,
    SecondaryX = 4,
    SecondaryY = 5,
    CompositeX = 6,
    CompositeY = 7,
};

struct FamilyMember {
    FamilyRole role = FamilyRole::Table;
    uint16_t number = 0; // .Xnn/.Ynn/.XGn/.YGn only
    bool operator==(const FamilyMember&) const = default;
};

class JournalFamily {
public:
    // The role `file` plays in the family of `table`; nullopt when it is none of its files.
    static std::optional<FamilyMember> roleOf(const std::filesystem::path& table,
                                              const std::filesystem::path& file);
    // The file of `table`'s family playing `member`; nullopt for a role or number
    // the format does not know.
    static std::optional<std::filesystem::path> fileOf(const std::filesystem::path& table,
                                                       FamilyMember member);
    // True for the files made of a header and fixed-size blocks (all but the .MB).
    static bool isBlockFile(FamilyRole role) { return role != FamilyRole::Blob; }
    // The largest .MB: its blocks are addressed by 32-bit offsets.
    static constexpr uint64_t kMaxBlobSize = uint64_t(1) << 32;

private:
    static std::optional<std::string> extensionOf(FamilyMember member);
};

} // namespace engine

#include "engine/DirectoryListing.h"

#include "engine/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>

namespace engine {

namespace {

// A change made in the same tick of the file system's clock as the one a stamp
// recorded leaves the stamp unchanged. So a listing is kept only when the
// directory had not changed for longer than the coarsest clock in use (FAT
// counts in 2-second steps); a directory changed more recently is listed anew
// at each look until it has settled.
constexpr int64_t kSettledNs = int64_t(2'500'000'000);

struct Listing {
    DirectoryStamp stamp;
    std::vector<std::filesystem::path> files;
};

struct ListingCache {
    std::mutex lock;
    std::map<std::filesystem::path, Listing> byDirectory;
    FileSystem* fileSystem = nullptr; // the one the listings came from
};

ListingCache& cache() {
    static ListingCache instance;
    return instance;
}

bool settled(const DirectoryStamp& stamp) {
    const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    return now - stamp.modifiedNs > kSettledNs;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y));
           });
}

} // namespace

// Calls visit(path) for each plain file of dir until it returns false.
template <class Visit>
void DirectoryListing::visitFiles(const std::filesystem::path& dir, Visit visit) {
    FileSystem& fs = fileSystem();
    const std::optional<DirectoryStamp> stamp = fs.directoryStamp(dir);
    if (!stamp || !settled(*stamp)) {
        for (const std::filesystem::path& p : fs.list(dir))
            if (!visit(p))
                return;
        return;
    }
    ListingCache& c = cache();
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.fileSystem != &fs) {
        c.byDirectory.clear();
        c.fileSystem = &fs;
    }
    Listing& entry = c.byDirectory[dir];
    if (!(entry.stamp == *stamp)) {
        entry.files = fs.list(dir);
        entry.stamp = *stamp;
    }
    for (const std::filesystem::path& p : entry.files)
        if (!visit(p))
            return;
}

std::vector<std::filesystem::path> DirectoryListing::filesOfStem(const std::filesystem::path& dir,
                                                                 std::string_view stem) {
    std::vector<std::filesystem::path> found;
    visitFiles(dir, [&](const std::filesystem::path& p) {
        if (equalNoCase(p.stem().string(), stem))
            found.push_back(p);
        return true;
    });
    return found;
}

std::filesystem::path DirectoryListing::findNoCase(const std::filesystem::path& dir,
                                                   std::string_view name) {
    std::filesystem::path found;
    visitFiles(dir, [&](const std::filesystem::path& p) {
        if (!equalNoCase(p.filename().string(), name))
            return true;
        found = p;
        return false;
    });
    return found;
}

} // namespace engine

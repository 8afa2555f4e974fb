#pragma once
// What the engine tells the user without failing: a file it found and chose not to
// use (a rollback journal that is not its table's own), said once per process so
// that a table read many times does not repeat it.

#include <functional>
#include <string>

namespace engine {

using NoticeHandler = std::function<void(const std::string& message)>;

// Replaces where notices go; nullptr restores the default (standard error).
void setNoticeHandler(NoticeHandler handler);

// Tells `message` unless a notice with the same key was told before in this process.
void noticeOnce(const std::string& key, const std::string& message);

} // namespace engine

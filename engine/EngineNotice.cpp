#include "engine/EngineNotice.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace engine {

namespace {

std::mutex g_mutex;
NoticeHandler g_handler;
std::set<std::string> g_told;

} // namespace

void setNoticeHandler(NoticeHandler handler) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_handler = std::move(handler);
    g_told.clear(); // a new listener has heard nothing yet
}

void noticeOnce(const std::string& key, const std::string& message) {
    NoticeHandler handler;
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_told.insert(key).second)
            return;
        handler = g_handler;
    }
    if (handler)
        handler(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}

} // namespace engine

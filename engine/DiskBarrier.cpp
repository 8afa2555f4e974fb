#include "engine/DiskBarrier.h"

namespace engine {

namespace {
thread_local bool t_barred = false;
} // namespace

DiskBarrier::DiskBarrier() : m_outer(!t_barred) {
    t_barred = true;
}

DiskBarrier::~DiskBarrier() {
    if (m_outer)
        t_barred = false;
}

void DiskBarrier::check() {
    if (t_barred)
        throw Needed{};
}

} // namespace engine

#pragma once

namespace widgets {

// A component that wants to know when its window has been built completely
// (every component created and every stored property set). The window calls
// loaded() on each of its components that implements this, in ownership order.
class Loadable {
public:
    virtual ~Loadable() = default;
    virtual void loaded() = 0;
};

} // namespace widgets

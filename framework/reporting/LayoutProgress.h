#pragma once

namespace reporting {

// Told of the layout's progress; answering false stops it.
class LayoutProgress {
public:
    virtual ~LayoutProgress() = default;
    virtual bool advance(int rowsDone, int rowsTotal) = 0;
};

} // namespace reporting

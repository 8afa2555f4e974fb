#pragma once

#include <QDate>

namespace reporting {

// What system-data items print: known only while a page is being laid out.
struct PrintContext {
    int pageNumber = 1;
    QDate date;
};

} // namespace reporting

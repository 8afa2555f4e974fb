#pragma once

namespace lang {

// Registers the kinds of component the framework provides, in the order in
// which a component's kind is decided:
//   1 list box, 4 data grid, 6 data field, 7 navigator, 8 window,
//   9 radio group, 10 memo, 13 tab control, 16 tree view, 17 status bar,
//   18 combo box, 19 filter combo box, 20 save dialog, 21 menu item,
//   23 any other component (published Caption, then published Text).
// The numbers leave room for kinds the framework does not have (data-aware
// list and radio group, headers, tab sets, notebooks), which would slot in
// between.
void registerStandardKinds();

} // namespace lang

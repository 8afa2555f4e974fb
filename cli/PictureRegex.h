#pragma once
// A Paradox picture (the input mask of an Alpha field) as an anchored regular
// expression that PostgreSQL's and std::regex's ECMAScript grammar read alike.
//
//   #  digit                  [0-9]
//   ?  letter                 [[:alpha:]]
//   &  letter (upper-cased)   [[:alpha:]]
//   ~  letter (lower-cased)   [[:alpha:]]
//   @  any character          .
//   !  any (upper-cased)      .
//   ;c the character c itself
//   *n item   n times         {n}       (* alone: any number of times)
//   [ ... ]   optional        ( ... )?
//   { a,b }   alternatives    (a|b)
//   anything else             itself (escaped)
//
// The case changes are made by the program at entry: what is stored already obeys
// them, so the expression only asks for a letter. A picture that does not parse (an
// unclosed bracket, a repeat of nothing) has no expression.

#include <optional>
#include <string>

namespace cli {

std::optional<std::string> pictureRegex(const std::string& picture);

} // namespace cli

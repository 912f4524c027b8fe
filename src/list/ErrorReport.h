#pragma once

#include <exception>
#include <string>

namespace vidtrawl::list {

// A run-time error as the user is told about it: a number and a description.
struct ErrorReport {
  long number = 0;
  std::string description;
};

// Describes an exception: storage exhausted is 7 "Out of memory", an index
// outside a range 9 "Subscript out of range", an arithmetic overflow 6
// "Overflow", an invalid argument 5 "Invalid procedure call or argument";
// any other error is 440 with its own text ("Automation error" when it has
// none).
ErrorReport DescribeError(std::exception_ptr error);

} // namespace vidtrawl::list

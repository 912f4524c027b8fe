#include "list/ErrorReport.h"
#include "host/Grid.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using vidtrawl::list::DescribeError;

namespace {

template <class E> std::exception_ptr Make(E e) {
  return std::make_exception_ptr(e);
}

} // namespace

TEST(DescribeError, Table) {
  struct Case {
    std::exception_ptr error;
    long number;
    const char *description;
  };
  const Case cases[] = {
      {Make(std::bad_alloc()), 7, "Out of memory"},
      {Make(std::out_of_range("i")), 9, "Subscript out of range"},
      {Make(std::overflow_error("o")), 6, "Overflow"},
      {Make(std::invalid_argument("a")), 5, "Invalid procedure call or argument"},
      {Make(std::runtime_error("socket closed")), 440, "socket closed"},
      {Make(std::runtime_error("")), 440, "Automation error"},
      {Make(42), 440, "Automation error"},
      {nullptr, 440, "Automation error"},
  };
  for (const Case &c : cases) {
    const auto report = DescribeError(c.error);
    EXPECT_EQ(report.number, c.number) << c.description;
    EXPECT_EQ(report.description, c.description);
  }
}

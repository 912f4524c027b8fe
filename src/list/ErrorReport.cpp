#include "list/ErrorReport.h"

#include <new>
#include <stdexcept>

namespace vidtrawl::list {

ErrorReport DescribeError(std::exception_ptr error) {
  try {
    if (error)
      std::rethrow_exception(error);
  } catch (const std::bad_alloc &) {
    return {7, "Out of memory"};
  } catch (const std::out_of_range &) {
    return {9, "Subscript out of range"};
  } catch (const std::overflow_error &) {
    return {6, "Overflow"};
  } catch (const std::invalid_argument &) {
    return {5, "Invalid procedure call or argument"};
  } catch (const std::exception &e) {
    const std::string text = e.what();
    return {440, text.empty() ? std::string("Automation error") : text};
  } catch (...) {
  }
  return {440, "Automation error"};
}

} // namespace vidtrawl::list

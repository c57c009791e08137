#pragma once

#include <stdexcept>

namespace corvelle::smtp {

// A send that cannot go on; its text becomes the status the caller reads.
class EchecEnvoi : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace corvelle::smtp

// The errors the window framework itself would raise (a file that cannot be opened, a text
// that is no number, a settings value of the wrong type). Their message is shown as it is;
// any other exception is shown with an empty one.
#pragma once

#include <stdexcept>

namespace velko {

class FrameworkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace velko
